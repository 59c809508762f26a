#include "render/PictureMail.h"
#include "core/StringIds.h"
#include "support/StandInMail.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vantora;

TEST(PictureMail, SubjectIsTheNamePartUpToItsFirstDot) {
    const struct {
        const char* path;
        const char* subject;
    } cases[] = {
        {"/tmp/mail/1001 Anna1001.jpeg", "1001 Anna1001  ECG Record"},
        {"/tmp/mail/1001 A.Berg1001.jpeg", "1001 A  ECG Record"}, // a dot in the patient text
        {"C:\\Temp\\x.y\\Anna.jpeg", "Anna  ECG Record"},
        {"D:Anna.jpeg", "Anna  ECG Record"},
        {"/tmp/a.b/no-dot", "no-dot  ECG Record"},
        {"/tmp/.jpeg", "  ECG Record"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mailSubject(QString::fromUtf8(c.path)), QString::fromUtf8(c.subject)) << c.path;
}

TEST(PictureMail, HandsTheFileToXdgEmailAndKeepsIt) {
    const test::PrivateTempDir tmp;
    const QString picture = mailFolder() + QStringLiteral("/1001 A.Berg1001.jpeg");
    const struct {
        int status;
        int message;
    } cases[] = {{0, 0}, {1, ids::kMailFailed}, {3, ids::kMailFailed}};
    for (const auto& c : cases) {
        QFile f(picture);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.close();
        const test::StandInMail mail(c.status);
        EXPECT_EQ(SendFileByMail(picture).message().id, c.message) << c.status;
        EXPECT_EQ(mail.arguments(),
                  (QStringList{"--subject", "1001 A  ECG Record", "--attach", picture}))
            << c.status;
        EXPECT_TRUE(QFile::exists(picture)) << c.status; // the mail program reads it later
    }
    cleanMailFolder();
    EXPECT_FALSE(QFile::exists(picture));
}

TEST(PictureMail, NoMailProgramOnThePath) {
    const test::PrivateTempDir tmp;
    QTemporaryDir empty;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(empty.path()));
    EXPECT_EQ(SendFileByMail(mailFolder() + "/x.jpeg").message(),
              (Message{ids::kNoMailProgram, {}}));
    qputenv("PATH", oldPath);
}
