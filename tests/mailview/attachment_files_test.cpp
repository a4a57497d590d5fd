// Attachments written as files: decoded by GMime, under cleaned names that stay in the folder,
// never over another file, programs and scripts told apart.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "attachment_files.h"
#include "mime_mail.h"
#include "test_support.h"

namespace dbx::test {
namespace {

namespace fs = std::filesystem;

TEST(AttachmentNames, KeepNoFolderNoLeadingDotsAndNoReservedCharacters) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"../../etc/passwd", "passwd"},
        {"C:\\Windows\\System32\\evil.exe", "evil.exe"},
        {"..\\..//.bashrc", "bashrc"},
        {"...hidden", "hidden"},
        {" . x.exe. . ", "x.exe"},
        {"a<b>:c|d?*\".txt", "a_b__c_d___.txt"},
        {QString("tab\there\nnew") + QChar(0x7F) + ".txt", "tab_here_new_.txt"},
        {"", "attachment"},
        {"/", "attachment"},
        {"..", "attachment"},
        {QString::fromUtf8("r\xC3\xA9sum\xC3\xA9.pdf"),
         QString::fromUtf8("r\xC3\xA9sum\xC3\xA9.pdf")},
    };
    for (const auto& [name, clean] : cases) {
        EXPECT_EQ(CleanAttachmentName(name), clean) << name.toStdString();
    }
}

TEST(AttachmentNames, LongNamesAreCutBetweenCharactersAndKeepTheirExtension) {
    const QString longName = QString(300, QChar(0x00E9)) + ".pdf";  // 2 bytes each in UTF-8
    const QString clean = CleanAttachmentName(longName);
    EXPECT_LE(clean.toUtf8().size(), 120);
    EXPECT_GE(clean.toUtf8().size(), 118);
    EXPECT_TRUE(clean.endsWith(".pdf"));
    EXPECT_EQ(QString::fromUtf8(clean.toUtf8()), clean);  // whole characters only
    const QString emoji = QString(100, QChar(0x263A)) + QString::fromUtf8("\xF0\x9F\x98\x80");
    const QString cut = CleanAttachmentName(emoji.repeated(2), 40);
    EXPECT_LE(cut.toUtf8().size(), 40);
    EXPECT_FALSE(cut.back().isHighSurrogate());
}

TEST(AttachmentNames, ProgramsAndScriptsAreRisky) {
    for (const char* name :
         {"setup.exe", "x.COM", "run.bat", "a.cmd", "saver.scr", "old.pif", "macro.vbs", "code.js",
          "link.lnk", "report.pdf.exe", "page.hta", "start.desktop", "install.sh"}) {
        EXPECT_TRUE(IsRiskyAttachment(name)) << name;
    }
    for (const char* name :
         {"report.pdf", "report.exe.pdf", "notes.txt", "photo.jpg", "exe", "archive.zip"}) {
        EXPECT_FALSE(IsRiskyAttachment(name)) << name;
    }
}

const char kMessage[] =
    "From: a@example.org\r\nSubject: files\r\nMIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=M\r\n\r\n"
    "--M\r\nContent-Type: text/plain\r\n\r\nthe body\r\n"
    "--M\r\nContent-Type: application/pdf; name=\"../../report.pdf\"\r\n"
    "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment\r\n\r\n"
    "JVBERi0xLjQKJcfsj6IK\r\n"
    "--M\r\nContent-Type: application/octet-stream; name=\"tool.exe\"\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n\r\nMZ=90=00\r\n"
    "--M\r\nContent-Type: message/rfc822\r\nContent-Disposition: attachment\r\n\r\n"
    "From: b@example.org\r\nSubject: inner\r\n\r\ninner body\r\n--M--\r\n";

TEST(AttachmentFiles, AreWrittenDecodedUnderCleanUniqueNames) {
    TempDir dir;
    const auto mail = MimeMail::FromBytes(kMessage, "windows-1252");
    ASSERT_TRUE(mail);
    const std::vector<MailAttachment> attachments = mail->Attachments();
    ASSERT_EQ(attachments.size(), 3u);

    const AttachmentFile pdf = WriteAttachment(*mail, attachments[0], dir.Path().string());
    ASSERT_EQ(pdf.path, dir.File("report.pdf"));
    EXPECT_FALSE(pdf.risky);
    EXPECT_EQ(ReadWholeFile(pdf.path), "%PDF-1.4\n%\xC7\xEC\x8F\xA2\n");
    // Written again: a second file beside the first, which stays as it was.
    const AttachmentFile again = WriteAttachment(*mail, attachments[0], dir.Path().string());
    EXPECT_EQ(again.path, dir.File("report (2).pdf"));
    EXPECT_EQ(ReadWholeFile(again.path), ReadWholeFile(pdf.path));

    const AttachmentFile tool = WriteAttachment(*mail, attachments[1], dir.Path().string());
    EXPECT_TRUE(tool.risky);
    EXPECT_EQ(ReadWholeFile(tool.path), std::string("MZ\x90\0", 4));

    const AttachmentFile inner = WriteAttachment(*mail, attachments[2], dir.Path().string());
    // A forwarded message opens with a mail program.
    EXPECT_EQ(fs::path(inner.path).filename(), "inner.eml");
    EXPECT_NE(ReadWholeFile(inner.path).find("inner body"), std::string::npos);

    // Every file lies in the folder, and nothing else was written.
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        EXPECT_EQ(entry.path().parent_path(), dir.Path());
        ++files;
    }
    EXPECT_EQ(files, 4);
}

TEST(AttachmentFiles, OnlyListedPartsAreWrittenAndFailuresLeaveNothing) {
    TempDir dir;
    const auto mail = MimeMail::FromBytes(kMessage, "windows-1252");
    ASSERT_TRUE(mail);
    ASSERT_FALSE(mail->Shown().empty());
    const int bodyPart = mail->Shown()[0].part;
    EXPECT_FALSE(mail->SaveAttachment(bodyPart, dir.File("body.txt")));
    int error = -1;
    EXPECT_FALSE(mail->SaveAttachment(99, dir.File("none"), &error));
    EXPECT_EQ(error, 0);
    EXPECT_FALSE(fs::exists(dir.File("body.txt")));
    // An existing file is not replaced, and the reason is told.
    const int part = mail->Attachments()[0].part;
    std::ofstream(dir.File("taken.pdf")) << "mine";
    EXPECT_FALSE(mail->SaveAttachment(part, dir.File("taken.pdf"), &error));
    EXPECT_EQ(error, EEXIST);
    EXPECT_EQ(ReadWholeFile(dir.File("taken.pdf")), "mine");
    EXPECT_FALSE(mail->SaveAttachment(part, dir.File("taken.pdf/x.pdf"), &error));
    EXPECT_EQ(error, ENOTDIR);
    // A folder that is not there: nothing written, and said so.
    const AttachmentFile lost =
        WriteAttachment(*mail, mail->Attachments()[0], dir.File("no/such/folder"));
    EXPECT_TRUE(lost.path.empty());
    EXPECT_EQ(lost.error, ENOENT);
}

}  // namespace
}  // namespace dbx::test
