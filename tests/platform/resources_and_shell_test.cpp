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

// The desktop's opener may take seconds to come back (measured up to 1.85 s); opening the home
// page on Exit must not wait for it.
TEST(Shell, OpeningAPageDoesNotWaitForTheDesktopsOpener) {
    QTemporaryDir bin;
    ASSERT_TRUE(bin.isValid());
    const QString marker = bin.filePath(QStringLiteral("opened"));
    {
        QFile opener(bin.filePath(QStringLiteral("xdg-open")));
        ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
        opener.write(
            QStringLiteral("#!/bin/sh\necho \"$1\" > '%1'\nsleep 2\n").arg(marker).toUtf8());
        opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ExeOwner);
    }
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit() + ":" + path);
    QElapsedTimer timer;
    timer.start();
    const bool opened = Shell::Current().Open(QStringLiteral("http://example.com/home.htm"));
    const qint64 elapsed = timer.elapsed();
    qputenv("PATH", path);
    EXPECT_TRUE(opened);
    EXPECT_LT(elapsed, 200);
    // The opener did get the page.
    QElapsedTimer wait;
    wait.start();
    while (!QFile::exists(marker) && wait.elapsed() < 5000) QThread::msleep(20);
    QFile written(marker);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll().trimmed(), QByteArray("http://example.com/home.htm"));
}

}  // namespace
}  // namespace dbx
