// The window's RAVELDA button and `ravelda-db year-update` on the same tables: the same rows
// added, in the same order, the same rows stored afterwards, and a refusal at the same row.
#include "app/form1.h"
#include "data/wwtable.h"
#include "engine/cursor.h"
#include "engine/table.h"
#include "platform/bitbtn.h"
#include "platform/testseams.h"
#include "tests/app/app_support.h"

#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

#if !defined(RAVELDA_DB_EXE)
#error "the tool's path is given by the build"
#endif

using namespace ravelda::test;
namespace engine = ravelda::engine;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    bool completed = false;     // the window closed / the command exited with 0
    std::vector<KeyRow> added;  // in the order they were added, Chiave 0
    std::vector<KeyRow> stored; // key order
};

struct Case {
    const char* name;
    std::vector<KeyRow> rows;
    std::vector<engine::FieldPicture> pictures;
    bool completes = true;
};

class WindowAndCommand : public ::testing::Test {
protected:
    void Create(const Case& c) {
        for (const auto& e : fs::directory_iterator(alias.folder()))
            fs::remove(e.path());
        engine::CreateOptions options;
        options.pictures = c.pictures;
        engine::Table::create(alias.folder() / "Keys.DB",
                              {{"Tabella", engine::FieldType::Alpha, 30},
                               {"Anno", engine::FieldType::Alpha, 4},
                               {"Registro", engine::FieldType::Short, 0},
                               {"Chiave", engine::FieldType::Long, 0}},
                              3, options);
        auto table = engine::Table::open(alias.folder() / "Keys.DB");
        auto cursor = table->cursor();
        for (const KeyRow& r : c.rows)
            cursor->insert({engine::Value::text(r.tabella), engine::Value::text(r.anno),
                            engine::Value::integer(r.registro), engine::Value::integer(r.chiave)});
    }
    Outcome ThroughTheWindow(const Case& c) {
        Create(c);
        FreshApplication app;
        TTestMessageBoxes boxes;
        Outcome o;
        {
            TForm1 form(nullptr);
            form.wwTable1->AfterPost = [&](TDataSet* ds) {
                o.added.push_back(
                    {ds->FieldByName(QStringLiteral("Tabella"))->AsString().toStdString(),
                     ds->FieldByName(QStringLiteral("Anno"))->AsString().toStdString(),
                     static_cast<int>(ds->FieldByName(QStringLiteral("Registro"))->AsInteger()),
                     0});
            };
            try {
                form.BitBtn1Click(form.BitBtn1);
                o.completed = true;
            } catch (const EDatabaseError&) {
                form.wwTable1->Cancel();
            }
            EXPECT_EQ(boxes.Count(), o.completed ? 1 : 0);
        }
        o.stored = ReadKeyRows();
        return o;
    }
    Outcome ThroughTheCommand(const Case& c) {
        Create(c);
        QProcess p;
        p.start(QStringLiteral(RAVELDA_DB_EXE), {QStringLiteral("year-update"), alias.aliasName(),
                                                 QStringLiteral("--year"), QStringLiteral("2031")});
        EXPECT_TRUE(p.waitForFinished(60000));
        Outcome o;
        o.completed = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        EXPECT_EQ(p.exitCode(), o.completed ? 0 : 1);
        const QStringList lines =
            QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        for (const QString& line : lines) {
            const QStringList w = line.split(' ');
            if (w.size() == 4 && w[0] == QStringLiteral("added"))
                o.added.push_back({w[1].toStdString(), w[2].toStdString(), w[3].toInt(), 0});
        }
        if (o.completed) {
            EXPECT_TRUE(lines.last() == QStringLiteral("Aggiornamento Effettuato") ||
                        lines.last().startsWith(QStringLiteral("nothing missing")));
        }
        o.stored = ReadKeyRows();
        return o;
    }

    TempAlias alias;
    TTestClock clock{QDateTime(QDate(2031, 3, 1), QTime(10, 0))};
};

TEST_F(WindowAndCommand, GiveTheSameRows) {
    const std::vector<KeyRow> six = {
        {"BOLLE.DB", "2031", 0, 1},      {"FATTURE.DB", "2031", 0, 2},
        {"FATTURE.DB", "2031", 1, 3},    {"ORDINIF.DB", "2031", 0, 4},
        {"PREVENTIVI.DB", "2031", 0, 5}, {"PREVENTIVIF.DB", "2031", 0, 6}};
    const Case cases[] = {
        {"all six present", six, {}},
        {"none present", {{"BOLLE.DB", "2030", 0, 412}, {"CLIENTI.DB", "2031", 0, 88}}, {}},
        {"empty", {}, {}},
        {"some present", {{"FATTURE.DB", "2031", 1, 250}, {"PREVENTIVI.DB", "2031", 0, 9}}, {}},
        {"lower-case name", {{"fatture.db", "2031", 0, 44}, {"Bolle.DB", "2031", 0, 3}}, {}},
        {"stored pictures that pass", {}, {{1, "*{&,#,.}"}, {2, "####"}, {4, "#[#][#]"}}},
        {"a picture that refuses register 1", {{"ORDINIF.DB", "2031", 0, 7}}, {{3, "0"}}, false},
        {"a picture that refuses every table", {}, {{1, "X*@"}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome window = ThroughTheWindow(c);
        const Outcome command = ThroughTheCommand(c);
        EXPECT_EQ(window.completed, c.completes);
        EXPECT_EQ(command.completed, c.completes);
        EXPECT_EQ(window.added, command.added);
        EXPECT_EQ(window.stored, command.stored);
    }
}

} // namespace
