#include "OtherProcess.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryFile>
#include <QTest>
#include <gtest/gtest.h>

namespace tavik::testing {

QByteArray RunOther(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForStarted(5000)) << program.toStdString();
    // This process owns the clipboard: it must keep answering while the other
    // one asks, so the wait turns the event loop.
    EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000))
        << program.toStdString() << " " << arguments.join(' ').toStdString();
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}

QStringList ClipboardTargets() {
    const QByteArray out = RunOther("xclip", {"-o", "-selection", "clipboard", "-t", "TARGETS"});
    return QString::fromLatin1(out).split('\n', Qt::SkipEmptyParts);
}

QByteArray ClipboardBytes(const QString& type) {
    return RunOther("xclip", {"-o", "-selection", "clipboard", "-t", type});
}

void OfferOnClipboard(const QString& type, const QByteArray& bytes) {
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write(bytes);
    file.flush();
    // xclip forks a server for the selection and returns.
    RunOther("xclip", {"-i", "-selection", "clipboard", "-t", type, file.fileName()});
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QMimeData* data = QApplication::clipboard()->mimeData();
            return data != nullptr && data->formats().contains(type);
        },
        5000))
        << type.toStdString();
}

} // namespace tavik::testing
