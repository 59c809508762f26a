#pragma once

// A frame with one page under test: a fresh data folder, the resource
// library, and message boxes answered Yes and logged instead of shown.
#include "core/AppSettings.h"
#include "core/AppState.h"
#include "core/Langpack.h"
#include "records/PatientRecord.h"
#include "support/TestData.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/MessageBoxPrompter.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace vantora::test {

// A registry record with just an id and a name, as the pages list it.
inline PatientRecord namedPatient(const QString& id, const QString& name) {
    PatientRecord r;
    r.id = id;
    r.name = name;
    r.revision = 8;
    return r;
}

class PageFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Langpack::load(binDir() + QStringLiteral("/langpack.rcc")));
        AppSettings::setStoreFile(settings_.filePath(QStringLiteral("settings.ini")));
        MessageBoxPrompter::setHook([this](const QString& text, bool question) {
            (question ? questions_ : messages_) << text;
            return true;
        });
        state_.dataRoot = root_.path();
        state_.recordingMode = RecordingMode::Snap;
    }
    void TearDown() override {
        MessageBoxPrompter::setHook({});
        AppSettings::setStoreFile(QString()); // files opened go to the recent-file list
    }

    // Builds the frame with only this page class and shows it under `pageId`.
    template <class Page> Page* openPage(int pageClass, int pageId, PageRegistry::Factory factory) {
        PageRegistry pages;
        pages.add(pageClass, std::move(factory));
        frame_ = std::make_unique<MainFrame>(state_, pages);
        EXPECT_TRUE(frame_->OnCreate());
        frame_->show();
        return static_cast<Page*>(frame_->ShowPage(pageId));
    }

    TempDataRoot root_;
    QTemporaryDir settings_;
    AppState state_;
    std::unique_ptr<MainFrame> frame_;
    QStringList messages_;  // texts shown
    QStringList questions_; // Yes/No questions asked
};

} // namespace vantora::test
