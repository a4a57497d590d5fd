#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "resource_registry.h"
#include "shell.h"

namespace dbx {
namespace {

TEST(ResourceRegistry, ResourcesByIdAndSize) {
    ResourceRegistry& registry = ResourceRegistry::Instance();
    registry.Clear();
    registry.AddString(101, "&About Varnook...");
    EXPECT_EQ(registry.String(101), "&About Varnook...");
    EXPECT_FALSE(registry.String(102));

    QImage red(4, 2, QImage::Format_RGB32);
    red.fill(Qt::red);
    registry.AddImage(129, red);
    EXPECT_EQ(registry.Image(129).size(), QSize(4, 2));
    EXPECT_EQ(registry.Image(129, QSize(8, 8)).size(), QSize(8, 8));
    int asked = 0;
    registry.AddImage(147, [&](QSize size) {
        ++asked;
        return QImage(size.isEmpty() ? QSize(16, 16) : size, QImage::Format_ARGB32);
    });
    EXPECT_EQ(registry.Image(147, QSize(32, 32)).size(), QSize(32, 32));
    EXPECT_EQ(registry.Image(147).size(), QSize(16, 16));
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(registry.Image(999).isNull());
    EXPECT_TRUE(registry.Icon(128).isNull());
    registry.Clear();
    EXPECT_FALSE(registry.String(101));
}

struct RecordingShell : Shell {
    std::vector<QString>* opened;
    explicit RecordingShell(std::vector<QString>* log) : opened(log) {}
    bool Open(const QString& target) override {
        opened->push_back(target);
        return true;
    }
    bool Start(const QString& program, const QStringList& arguments, const QString&) override {
        opened->push_back(program + " " + arguments.join(' '));
        return true;
    }
};

TEST(Shell, ATestShellTakesTheCallsUntilRemoved) {
    std::vector<QString> log;
    auto previous = Shell::Install(std::make_unique<RecordingShell>(&log));
    EXPECT_TRUE(Shell::Current().Open("http://example.com/"));
    EXPECT_TRUE(Shell::Current().Start("updater", {"<QZWRB>"}));
    EXPECT_EQ(log, (std::vector<QString>{"http://example.com/", "updater <QZWRB>"}));
    Shell::Install(std::move(previous));
    EXPECT_EQ(dynamic_cast<RecordingShell*>(&Shell::Current()), nullptr);
}

// Waits for `path` to exist: the opener runs on its own, at its own pace.
bool AppearsInTime(const QString& path) {
    QElapsedTimer wait;
    wait.start();
    while (!QFile::exists(path) && wait.elapsed() < 120000) QThread::msleep(20);
    return QFile::exists(path);
}

// The desktop's opener may take seconds to come back (measured up to 1.85 s); opening the home
// page on Exit must not wait for it. This opener goes on only once the test has seen Open come
// back; had Open waited for it, it would give up and say so. Its answer appears whole, by a
// rename, so that the test never reads it half written.
TEST(Shell, OpeningAPageDoesNotWaitForTheDesktopsOpener) {
    QTemporaryDir bin;
    ASSERT_TRUE(bin.isValid());
    const QString marker = bin.filePath(QStringLiteral("opened"));
    const QString release = bin.filePath(QStringLiteral("release"));
    const QString outcome = bin.filePath(QStringLiteral("outcome"));
    {
        QFile opener(bin.filePath(QStringLiteral("xdg-open")));
        ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
        opener.write(
            QStringLiteral("#!/bin/sh\n"
                           "echo \"$1\" > '%1'\n"
                           "i=0\n"
                           "while [ ! -e '%2' ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done\n"
                           "if [ -e '%2' ]; then echo released; else echo waited; fi > '%3.part'\n"
                           "mv '%3.part' '%3'\n")
                .arg(marker, release, outcome)
                .toUtf8());
        opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ExeOwner);
    }
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit() + ":" + path);
    const bool opened = Shell::Current().Open(QStringLiteral("http://example.com/home.htm"));
    qputenv("PATH", path);
    EXPECT_TRUE(opened);
    QFile go(release);
    ASSERT_TRUE(go.open(QIODevice::WriteOnly));
    ASSERT_TRUE(AppearsInTime(outcome));
    QFile result(outcome);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(result.readAll().trimmed(), QByteArray("released"));
    // The opener did get the page.
    QFile written(marker);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll().trimmed(), QByteArray("http://example.com/home.htm"));
}

}  // namespace
}  // namespace dbx
