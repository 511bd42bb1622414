// The real executables: ravelda started as the operator starts it, the key table prepared and
// read back with ravelda-db. Start-up failures run on Qt's offscreen platform; the year update
// runs under xvfb-run with faketime and a real click from xdotool (skipped when those are
// missing). Message boxes are logged and answered by the program's unattended box mode.
#include "tests/support/tempdir.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

#if !defined(RAVELDA_EXE) || !defined(RAVELDA_DB_EXE)
#error "the executables' paths are given by the build"
#endif

namespace {

struct Result {
    bool finished = false;
    int exitCode = -1;
    QString out, err;
};

// Runs a program to its end, at most timeoutMs (then it is killed and reported unfinished).
Result RunProgram(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                  int timeoutMs, const QByteArray& input = QByteArray()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Result r;
    if (!p.waitForStarted(timeoutMs)) return r;
    if (!input.isEmpty()) p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(-1);
        return r;
    }
    r.finished = p.exitStatus() == QProcess::NormalExit;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

std::vector<std::filesystem::path> FilesUnder(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
        files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

const char* kHeader = "Tabella,Anno,Registro,Chiave";

class Processes : public ::testing::Test {
protected:
    Processes() {
        root = dir.path();
        folder = root / "db";
        aliasFile = root / "aliases.conf";
        boxLog = QString::fromStdString((root / "boxes.log").string());
        env = QProcessEnvironment::systemEnvironment();
        env.insert("RAVELDA_ALIAS_FILE", QString::fromStdString(aliasFile.string()));
        env.insert("RAVELDA_MESSAGEBOX_LOG", boxLog);
        env.remove("FAKETIME");
    }
    // Defines the alias with ravelda-db, as an administrator would.
    void AddAlias(const QString& name) {
        std::filesystem::create_directories(folder);
        Tool({"alias", "add", name, QString::fromStdString(folder.string())});
    }
    QString Tool(const QStringList& args, const QByteArray& input = QByteArray()) {
        Result r = RunProgram(QStringLiteral(RAVELDA_DB_EXE), args, env, 60000, input);
        EXPECT_TRUE(r.finished && r.exitCode == 0) << r.err.toStdString();
        return r.out;
    }
    // Keys.DB keyed on Tabella;Anno;Registro with the given CSV rows (after the header).
    void CreateKeys(const QString& fields, const QStringList& rows) {
        Tool({"create", ":quennarix:Keys.DB", "--fields", fields, "--key", "3", "--picture",
              "Anno=####"});
        if (!rows.isEmpty())
            Tool({"import", ":quennarix:Keys.DB", "-"},
                 (QString::fromLatin1(kHeader) + "\r\n" + rows.join("\r\n") + "\r\n").toUtf8());
    }
    QStringList Dump() {
        QStringList lines = Tool({"dump", ":quennarix:Keys.DB"}).split("\r\n", Qt::SkipEmptyParts);
        EXPECT_FALSE(lines.isEmpty());
        if (!lines.isEmpty()) lines.removeFirst(); // the header
        return lines;
    }
    std::vector<QJsonObject> Boxes() {
        std::vector<QJsonObject> boxes;
        QFile f(boxLog);
        if (f.open(QIODevice::ReadOnly))
            while (!f.atEnd()) {
                const QByteArray line = f.readLine().trimmed();
                if (!line.isEmpty()) boxes.push_back(QJsonDocument::fromJson(line).object());
            }
        QFile::remove(boxLog);
        return boxes;
    }
    // ravelda without a display server: only start-up can be watched this way.
    Result StartOffscreen() {
        QProcessEnvironment e = env;
        e.insert("QT_QPA_PLATFORM", "offscreen");
        return RunProgram(QStringLiteral(RAVELDA_EXE), {}, e, 120000);
    }

    ravelda::test::TempDir dir;
    std::filesystem::path root, folder, aliasFile;
    QString boxLog;
    QProcessEnvironment env;
};

const QString kKeysFields = QStringLiteral("Tabella:A30,Anno:A4,Registro:S,Chiave:I");

TEST_F(Processes, AStartUpFailureShowsTheErrorBoxAndExitsWithOne) {
    struct Case {
        const char* name;
        const char* fields; // Keys.DB's fields; empty: no table
        const char* message;
    };
    const Case cases[] = {
        {"missing Keys.DB", "", R"(.*table 'Keys\.DB' does not exist in .*\.)"},
        {"missing field", "Tabella:A30,Registro:S,Chiave:I,Altro:A4",
         R"(Field 'Anno' not found\.)"},
        {"type mismatch", "Tabella:A30,Anno:A4,Registro:I,Chiave:I",
         R"(Type mismatch for field 'Registro', expecting: Smallint actual: Integer\.)"},
        {"size mismatch", "Tabella:A20,Anno:A4,Registro:S,Chiave:I",
         R"(Size mismatch for field 'Tabella', expecting: 30 actual: 20\.)"},
    };
    AddAlias("quennarix");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        if (*c.fields)
            Tool({"create", ":quennarix:Keys.DB", "--fields", c.fields, "--key", "2",
                  "--overwrite"});
        const auto before = FilesUnder(root);
        Result r = StartOffscreen();
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 1);
        const std::vector<QJsonObject> boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0]["caption"].toString(), "Application Error");
        EXPECT_EQ(boxes[0]["icon"].toString(), "Error");
        EXPECT_EQ(boxes[0]["buttons"].toString(), "OK");
        const QString pattern =
            QStringLiteral(R"(^Exception EDatabaseError in module ravelda at [0-9A-F]+\.\n)") +
            QString::fromUtf8(c.message) + "$";
        const QString text = boxes[0]["text"].toString();
        EXPECT_TRUE(QRegularExpression(pattern).match(text).hasMatch()) << text.toStdString();
        EXPECT_EQ(FilesUnder(root), before);
    }
}

TEST_F(Processes, AMissingAliasEndsStartUpAndLeavesNoFile) {
    // No alias file at all, then one that names another database.
    for (bool otherAlias : {false, true}) {
        SCOPED_TRACE(otherAlias ? "other alias" : "no alias file");
        if (otherAlias) AddAlias("altrove");
        const auto before = FilesUnder(root);
        Result r = StartOffscreen();
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 1);
        const std::vector<QJsonObject> boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0]["caption"].toString(), "Application Error");
        EXPECT_TRUE(boxes[0]["text"].toString().contains("alias 'quennarix' is not defined"))
            << boxes[0]["text"].toString().toStdString();
        EXPECT_EQ(FilesUnder(root), before);
    }
}

bool HaveDisplayTools() {
    for (const char* tool : {"xvfb-run", "xdotool", "faketime"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) return false;
    return true;
}

TEST_F(Processes, TheButtonAddsTheRowsOfTheYearOnce) {
    if (!HaveDisplayTools()) GTEST_SKIP() << "needs xvfb-run, xdotool and faketime";
    AddAlias("quennarix");
    const QStringList earlier = {"BOLLE.DB,2030,0,412", "FATTURE.DB,2030,0,1033",
                                 "FATTURE.DB,2030,1,17", "FATTURE.DB,2031,1,250",
                                 "ORDINIF.DB,2030,0,38"};
    CreateKeys(kKeysFields, earlier);
    const QStringList expected = {"BOLLE.DB,2030,0,412",    "BOLLE.DB,2031,0,0",
                                  "FATTURE.DB,2030,0,1033", "FATTURE.DB,2030,1,17",
                                  "FATTURE.DB,2031,0,0",    "FATTURE.DB,2031,1,250",
                                  "ORDINIF.DB,2030,0,38",   "ORDINIF.DB,2031,0,0",
                                  "PREVENTIVI.DB,2031,0,0", "PREVENTIVIF.DB,2031,0,0"};
    const QString script = QStringLiteral(RAVELDA_SOURCE_DIR "/tests/app/click_update.sh");
    QProcessEnvironment x11 = env;
    x11.insert("QT_QPA_PLATFORM", "xcb");
    // Under the sanitizers: faketime's preloaded library comes before the sanitizer runtime, and
    // the X libraries' own allocations are not ours to report (the in-process tests look for
    // leaks).
    x11.insert("ASAN_OPTIONS", "detect_leaks=0:verify_asan_link_order=0");
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        Result r = RunProgram(
            "xvfb-run",
            {"-a", "-s", "-screen 0 1024x768x24", script, RAVELDA_EXE, "2031-03-01 10:00:00"}, x11,
            240000);
        ASSERT_TRUE(r.finished) << r.err.toStdString();
        ASSERT_EQ(r.exitCode, 0) << "90: no window, 91: did not end\n" << r.err.toStdString();
        const std::vector<QJsonObject> boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0]["text"].toString(), "Aggiornamento Effettuato");
        EXPECT_EQ(boxes[0]["caption"].toString(), "ravelda");
        EXPECT_EQ(boxes[0]["icon"].toString(), "");
        EXPECT_EQ(boxes[0]["buttons"].toString(), "OK");
        // The second run finds every row and adds nothing.
        EXPECT_EQ(Dump(), expected);
    }
}

TEST_F(Processes, TheNavigatorDeletesTheLastRowAfterConfirmation) {
    if (!HaveDisplayTools() || QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
        GTEST_SKIP() << "needs xvfb-run, xdotool, faketime and python3 (to close the window)";
    AddAlias("quennarix");
    const QStringList rows = {"BOLLE.DB,2030,0,412", "FATTURE.DB,2030,0,1033",
                              "FATTURE.DB,2030,1,17", "ORDINIF.DB,2030,0,38"};
    CreateKeys(kKeysFields, rows);
    const QString script = QStringLiteral(RAVELDA_SOURCE_DIR "/tests/app/click_delete.sh");
    QProcessEnvironment x11 = env;
    x11.insert("QT_QPA_PLATFORM", "xcb");
    x11.insert("RAVELDA_MESSAGEBOX_ANSWERS", "OK");
    x11.insert("ASAN_OPTIONS", "detect_leaks=0");
    Result r = RunProgram("xvfb-run", {"-a", "-s", "-screen 0 1024x768x24", script, RAVELDA_EXE},
                          x11, 240000);
    ASSERT_TRUE(r.finished) << r.err.toStdString();
    ASSERT_EQ(r.exitCode, 0) << "90: no window, 92: no confirmation, 91: did not end\n"
                             << r.err.toStdString();
    const std::vector<QJsonObject> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["text"].toString(), "Delete record?");
    EXPECT_EQ(boxes[0]["caption"].toString(), "Confirm");
    EXPECT_EQ(boxes[0]["buttons"].toString(), "OK,Cancel");
    // The last row is gone; nothing else changed.
    EXPECT_EQ(Dump(), rows.mid(0, 3));
}

} // namespace
