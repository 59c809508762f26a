#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Windows remember their place on closing: never in the user's own settings.
    QTemporaryDir settings;
    if (qEnvironmentVariableIsEmpty("VANTORA_SETTINGS"))
        qputenv("VANTORA_SETTINGS", settings.filePath(QStringLiteral("settings.ini")).toUtf8());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
