// Settings stores rooted in a temporary folder: the settings file and the per-user store.
#include "platform/exceptions.h"
#include "platform/settings.h"
#include "platform/testseams.h"

#include "tests/support/tempdir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    ravelda::test::TempDir dir;
    QString root = QString::fromStdString(dir.path().string());
    TTestSettingsRoot rooted{root};
};

TEST_F(SettingsTest, WritesAndReadsBackAcrossInstances) {
    {
        TIniFile ini("grid.ini");
        ini.WriteString("wwDBGrid1", "Tabella", "30;Tabella;F");
        ini.WriteInteger("wwDBGrid1", "Count", 4);
        ini.WriteBool("Other", "On", true);
    }
    EXPECT_TRUE(QFile::exists(root + "/grid.ini"));
    TIniFile ini("grid.ini");
    EXPECT_EQ(ini.ReadString("WWDBGRID1", "tabella", "x"), "30;Tabella;F"); // case-insensitive
    EXPECT_EQ(ini.ReadInteger("wwDBGrid1", "Count", 0), 4);
    EXPECT_EQ(ini.ReadInteger("wwDBGrid1", "Tabella", -1), -1); // not a number: the default
    EXPECT_TRUE(ini.ReadBool("Other", "On", false));
    EXPECT_EQ(ini.ReadSections(), (QStringList{"wwDBGrid1", "Other"}));
    EXPECT_EQ(ini.ReadSection("wwDBGrid1"), (QStringList{"Tabella", "Count"}));
    EXPECT_EQ(ini.ReadString("Missing", "x", "default"), "default");
}

TEST_F(SettingsTest, EraseAndDelete) {
    TIniFile ini("a.ini");
    ini.WriteString("S", "A", "1");
    ini.WriteString("S", "B", "2");
    ini.WriteString("T", "C", "3");
    ini.DeleteKey("S", "a");
    EXPECT_FALSE(ini.ValueExists("S", "A"));
    EXPECT_TRUE(ini.ValueExists("S", "B"));
    ini.EraseSection("t");
    EXPECT_FALSE(ini.SectionExists("T"));
    ini.UpdateFile();
    TIniFile again("a.ini");
    EXPECT_EQ(again.ReadSections(), QStringList{"S"});
}

TEST_F(SettingsTest, RefusesEntriesThatWouldCorruptTheFile) {
    TIniFile ini("b.ini");
    EXPECT_THROW(ini.WriteString("S]", "A", "1"), EInOutError);
    EXPECT_THROW(ini.WriteString("S", "A=B", "1"), EInOutError);
    EXPECT_THROW(ini.WriteString("S", "A", "two\nlines"), EInOutError);
    EXPECT_TRUE(ini.ReadSections().isEmpty());
}

TEST_F(SettingsTest, RegistryKeysLiveUnderTheRoot) {
    {
        TRegistryIniFile reg("Software\\Ravelda\\Grids");
        reg.WriteString("Form1.wwDBGrid1", "Anno", "4");
    }
    EXPECT_TRUE(QFile::exists(root + "/registry/Software/Ravelda/Grids.ini"));
    TRegistryIniFile reg("Software/Ravelda/Grids");
    EXPECT_EQ(reg.ReadString("Form1.wwDBGrid1", "Anno", ""), "4");
    EXPECT_THROW(TRegistryIniFile("Software\\..\\..\\etc"), EInOutError);
    EXPECT_THROW(TRegistryIniFile(""), EInOutError);
}

TEST_F(SettingsTest, AbsoluteFileNamesStayWhereTheyAre) {
    QString path = root + "/sub/abs.ini";
    {
        TIniFile ini(path);
        ini.WriteString("S", "K", "V");
    }
    EXPECT_TRUE(QFile::exists(path));
}

} // namespace
