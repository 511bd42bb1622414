// The start-up error path in a real process: the "Application Error" box, its text, exit code 1.
#include "tests/support/tempdir.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <gtest/gtest.h>

#ifndef STARTUP_FAILURE_EXE
#error "the start-up helper's path is given by the build"
#endif

namespace {

struct ProcessResult {
    int exitCode = -1;
    std::vector<QJsonObject> boxes;
};

ProcessResult Start(const QString& mode) {
    ravelda::test::TempDir dir;
    QString log = QString::fromStdString((dir.path() / "boxes.log").string());
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("RAVELDA_MESSAGEBOX_LOG", log);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(STARTUP_FAILURE_EXE), {mode});
    ProcessResult r;
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit) return r;
    r.exitCode = p.exitCode();
    QFile f(log);
    if (f.open(QIODevice::ReadOnly))
        while (!f.atEnd()) {
            QByteArray line = f.readLine().trimmed();
            if (!line.isEmpty()) r.boxes.push_back(QJsonDocument::fromJson(line).object());
        }
    return r;
}

struct StartupCase {
    const char* mode;
    int exitCode;
    const char* pattern; // the box text; empty: no box
};

TEST(Startup, AnErrorEscapingStartUpEndsTheProcess) {
    const StartupCase cases[] = {
        {"database", 1,
         R"(^Exception EDatabaseError in module platform_startup_failure at [0-9A-F]{16}\.\nField 'Anno' not found\.$)"},
        {"dot", 1,
         R"(^Exception EInvalidOperation in module platform_startup_failure at [0-9A-F]{16}\.\nCannot open\.$)"},
        {"std", 1,
         R"(^Exception std::runtime_error in module platform_startup_failure at [0-9A-F]{16}\.\ndisk on fire\.$)"},
        {"abort", 1, ""},
        {"none", 0, ""},
    };
    for (const StartupCase& c : cases) {
        SCOPED_TRACE(c.mode);
        ProcessResult r = Start(c.mode);
        EXPECT_EQ(r.exitCode, c.exitCode);
        if (!*c.pattern) {
            EXPECT_TRUE(r.boxes.empty());
            continue;
        }
        ASSERT_EQ(r.boxes.size(), 1u);
        const QJsonObject& box = r.boxes[0];
        EXPECT_EQ(box["caption"].toString(), "Application Error");
        EXPECT_EQ(box["buttons"].toString(), "OK");
        EXPECT_EQ(box["icon"].toString(), "Error");
        EXPECT_TRUE(box["taskModal"].toBool());
        QString text = box["text"].toString();
        EXPECT_TRUE(QRegularExpression(c.pattern).match(text).hasMatch()) << text.toStdString();
    }
}

} // namespace
