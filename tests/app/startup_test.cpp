// The program's start-up in process: the main window as its description builds it, a whole run
// through the event loop, and the start-up failures with their box and exit code.
#include "app/form1.h"
#include "app/startup.h"
#include "data/wwdatsrc.h"
#include "data/wwtable.h"
#include "engine/table.h"
#include "platform/bitbtn.h"
#include "platform/screen.h"
#include "platform/testseams.h"
#include "tests/app/app_support.h"
#include "tests/platform/control_support.h"

#include <QRegularExpression>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <map>

using namespace ravelda::test;
namespace engine = ravelda::engine;

namespace {

// Name, size and modification time of every file in a folder.
std::map<std::string, std::pair<std::uintmax_t, std::filesystem::file_time_type>>
Snapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::pair<std::uintmax_t, std::filesystem::file_time_type>> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
        if (e.is_regular_file()) files[e.path().string()] = {e.file_size(), e.last_write_time()};
    return files;
}

class Startup : public ::testing::Test {
protected:
    FreshApplication app;
    TTestMessageBoxes boxes;
    TTestClock clock{QDateTime(QDate(2031, 3, 1), QTime(10, 0))};
};

TEST_F(Startup, TheMainWindowIsBuiltFromItsDescription) {
    TempAlias alias;
    alias.createKeysTable({{"BOLLE.DB", "2030", 0, 7}});
    TForm1 form(nullptr);
    EXPECT_EQ(Application->MainForm(), &form);
    EXPECT_EQ(form.Name(), QStringLiteral("Form1"));
    EXPECT_EQ(form.Caption(), QStringLiteral("Ravelda"));
    EXPECT_EQ(form.Width(), 696);
    EXPECT_EQ(form.Height(), 480);
    EXPECT_EQ(form.Color(), clBtnFace);
    EXPECT_EQ(form.Position(), poScreenCenter);
    EXPECT_EQ(form.BorderStyle(), bsSizeable);
    EXPECT_EQ(form.Font()->Name(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(form.Font()->Height(), -11);

    ASSERT_NE(form.BitBtn1, nullptr);
    EXPECT_EQ(form.BitBtn1->Parent(), &form);
    EXPECT_EQ(form.BitBtn1->BoundsRect(), Bounds(424, 4, 153, 25));
    EXPECT_EQ(form.BitBtn1->Caption(), QStringLiteral("RAVELDA"));
    EXPECT_FALSE(form.BitBtn1->ParentFont());
    EXPECT_EQ(form.BitBtn1->Font()->Name(), QStringLiteral("Tahoma"));
    EXPECT_EQ(form.BitBtn1->Font()->Height(), -16);
    EXPECT_TRUE(form.BitBtn1->Font()->Style().Contains(fsBold));
    EXPECT_EQ(form.BitBtn1->Kind(), bkCustom);
    EXPECT_EQ(form.BitBtn1->Glyph()->Empty(), true);

    // The key table is open on its first row, with the four persistent fields in order.
    ASSERT_NE(form.wwTable1, nullptr);
    EXPECT_EQ(form.wwTable1->ClassName(), QStringLiteral("TwwTable"));
    EXPECT_EQ(form.wwTable1->State(), dsBrowse);
    EXPECT_FALSE(form.wwTable1->SyncSQLByRange());
    EXPECT_FALSE(form.wwTable1->NarrowSearch());
    EXPECT_TRUE(form.wwTable1->ValidateWithMask());
    ASSERT_EQ(form.wwTable1->FieldCount(), 4);
    const std::vector<TField*> fields = {form.wwTable1Tabella, form.wwTable1Anno,
                                         form.wwTable1Registro, form.wwTable1Chiave};
    const char* names[] = {"Tabella", "Anno", "Registro", "Chiave"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(form.wwTable1->Fields(i), fields[static_cast<size_t>(i)]);
        EXPECT_EQ(fields[static_cast<size_t>(i)]->FieldName(), QString::fromLatin1(names[i]));
    }
    EXPECT_EQ(form.wwTable1Tabella->Size(), 30);
    EXPECT_EQ(form.wwTable1Anno->Size(), 4);
    EXPECT_EQ(form.wwTable1Tabella->AsString(), QStringLiteral("BOLLE.DB"));
    ASSERT_NE(form.wwDataSource1, nullptr);
    EXPECT_EQ(form.wwDataSource1->DataSet(), form.wwTable1);

    // Shown centred; resizing moves nothing.
    ShowAndActivate(&form);
    EXPECT_EQ(form.Left(), (Screen()->Width() - 696) / 2);
    EXPECT_EQ(form.Top(), (Screen()->Height() - 480) / 2);
    form.SetBounds(form.Left(), form.Top(), 1000, 700);
    QApplication::processEvents();
    EXPECT_EQ(form.BitBtn1->BoundsRect(), Bounds(424, 4, 153, 25));
    form.SetWindowState(wsMaximized);
    QApplication::processEvents();
    EXPECT_EQ(form.BitBtn1->BoundsRect(), Bounds(424, 4, 153, 25));

    // Closing asks nothing and ends the program.
    form.Close();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(Startup, ARunEndsWhenTheUpdateHasClosedTheWindow) {
    TempAlias alias;
    alias.createKeysTable({{"BOLLE.DB", "2030", 0, 7}});
    bool shownWhenClicked = false;
    QTimer::singleShot(0, [&] {
        ASSERT_NE(Form1, nullptr);
        shownWhenClicked = Form1->Visible();
        ClickAt(Form1->BitBtn1->Handle(), QPoint(20, 12));
    });
    EXPECT_EQ(RunRavelda(), 0);
    EXPECT_TRUE(shownWhenClicked);
    EXPECT_EQ(Form1, nullptr);
    EXPECT_EQ(Application->MainForm(), nullptr);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, QStringLiteral("Aggiornamento Effettuato"));
    EXPECT_EQ(ReadKeyRows().size(), 7u);
}

struct FailureCase {
    const char* name;
    std::function<void(TempAlias&)> setUp;
    const char* alias;   // the alias the temporary file defines
    const char* message; // the dataset layer's message as shown (a pattern)
};

const std::vector<engine::FieldDef> kKeysFields = {{"Tabella", engine::FieldType::Alpha, 30},
                                                   {"Anno", engine::FieldType::Alpha, 4},
                                                   {"Registro", engine::FieldType::Short, 0},
                                                   {"Chiave", engine::FieldType::Long, 0}};

std::function<void(TempAlias&)> KeysWith(std::vector<engine::FieldDef> fields) {
    return [fields](TempAlias& a) { engine::Table::create(a.folder() / "Keys.DB", fields, 2); };
}

std::vector<engine::FieldDef> Without(const char* name) {
    std::vector<engine::FieldDef> f = kKeysFields;
    std::erase_if(f, [name](const engine::FieldDef& d) { return d.name == name; });
    return f;
}

std::vector<engine::FieldDef> Changed(const char* name, engine::FieldType type, int size) {
    std::vector<engine::FieldDef> f = kKeysFields;
    for (engine::FieldDef& d : f)
        if (d.name == name) {
            d.type = type;
            d.size = size;
        }
    return f;
}

TEST_F(Startup, ATableThatCannotBeOpenedEndsStartUp) {
    const FailureCase cases[] = {
        {"missing alias", [](TempAlias&) {}, "altrove",
         R"(^.*alias 'quennarix' is not defined\.$)"},
        {"missing Keys.DB", [](TempAlias&) {}, "quennarix",
         R"(^.*table 'Keys\.DB' does not exist in .*\.$)"},
        {"missing field", KeysWith(Without("Anno")), "quennarix", R"(^Field 'Anno' not found\.$)"},
        {"type mismatch", KeysWith(Changed("Registro", engine::FieldType::Long, 0)), "quennarix",
         R"(^Type mismatch for field 'Registro', expecting: Smallint actual: Integer\.$)"},
        {"size mismatch", KeysWith(Changed("Tabella", engine::FieldType::Alpha, 20)), "quennarix",
         R"(^Size mismatch for field 'Tabella', expecting: 30 actual: 20\.$)"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempAlias alias(c.alias);
        c.setUp(alias);
        const auto before = Snapshot(alias.folder().parent_path());
        boxes.Clear();
        EXPECT_EQ(RunRavelda(), 1);
        EXPECT_EQ(Form1, nullptr);
        EXPECT_EQ(Application->MainForm(), nullptr);
        ASSERT_EQ(boxes.Count(), 1);
        const TMessageBoxRequest& box = boxes.Last();
        EXPECT_EQ(box.Caption, QStringLiteral("Application Error"));
        EXPECT_EQ(box.Type, mtError);
        EXPECT_EQ(box.Buttons, TMsgDlgButtons{mbOK});
        EXPECT_TRUE(box.TaskModal);
        const QRegularExpression text(
            QStringLiteral(R"(^Exception EDatabaseError in module \S+ at [0-9A-F]+\.\n(.*)$)"),
            QRegularExpression::DotMatchesEverythingOption);
        const auto m = text.match(box.Text);
        ASSERT_TRUE(m.hasMatch()) << box.Text.toStdString();
        // The message, with the closing "." of the display.
        EXPECT_TRUE(QRegularExpression(QString::fromUtf8(c.message),
                                       QRegularExpression::DotMatchesEverythingOption)
                        .match(m.captured(1))
                        .hasMatch())
            << box.Text.toStdString();
        // Nothing was written.
        EXPECT_EQ(Snapshot(alias.folder().parent_path()), before);
    }
}

} // namespace
