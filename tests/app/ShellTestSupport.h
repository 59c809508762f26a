#pragma once

#include "core/AppSettings.h"
#include "core/Langpack.h"
#include "support/TestData.h"
#include "ui/frame/MessageBoxPrompter.h"
#include "ui/pages/Page.h"

#include <QApplication>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vantora::test {

// Records every message box of the program and answers its questions.
class MessageLog {
public:
    explicit MessageLog(bool answer = true) : answer_(answer) {
        MessageBoxPrompter::setHook([this](const QString& text, bool question) {
            (question ? questions : texts) << text;
            return answer_;
        });
    }
    ~MessageLog() { MessageBoxPrompter::setHook({}); }
    void setAnswer(bool answer) { answer_ = answer; }

    QStringList texts;     // OK boxes
    QStringList questions; // Yes/No boxes

private:
    bool answer_;
};

// Loads the built resource library and keeps settings in a private file.
class ShellFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Langpack::load(binDir() + QStringLiteral("/langpack.rcc")));
        ASSERT_TRUE(settingsDir_.isValid());
        AppSettings::setStoreFile(settingsDir_.filePath(QStringLiteral("settings.ini")));
    }
    void TearDown() override { AppSettings::setStoreFile(QString()); }

    static QString text(int id, const QString& arg = {}) { return Langpack::format(id, arg); }

    TempDataRoot root_;
    MessageLog log_;

private:
    QTemporaryDir settingsDir_;
};

// A page standing in for the pages of the work areas.
class FakePage : public Page {
public:
    using Page::Page;
    void OnInitialUpdate() override { ++initialUpdates; }
    void importHandedFile(const QString& path) override { imported << path; }
    void OnRecordsChanged() override { ++recordsChanged; }
    int initialUpdates = 0;
    int recordsChanged = 0;
    QStringList imported;
};

// Deletes the pages a switch has left.
inline void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace vantora::test
