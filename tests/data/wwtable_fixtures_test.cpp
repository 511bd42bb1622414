// TwwTable over real Paradox tables whose .VAL files store pictures (copied into a temporary
// folder first): the stored pictures come through, and an edit that fails one is not posted.
#include "data/fields.h"
#include "data/wwtable.h"
#include "platform/strings.h"
#include "tests/support/fixtures.h"
#include "tests/support/tempdir.h"

#include <QDir>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// Copies the table's files (the .DB and every file of the same stem) into Dir; returns the .DB.
fs::path CopyTable(const fs::path& Db, const fs::path& Dir) {
    const QString stem = QString::fromStdString(Db.stem().string()).toLower();
    for (const auto& entry : fs::directory_iterator(Db.parent_path()))
        if (QString::fromStdString(entry.path().stem().string()).toLower() == stem) {
            const fs::path copy = Dir / entry.path().filename();
            fs::copy_file(entry.path(), copy);
            // The fixtures may be read-only; the copies are ours to write.
            fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write,
                            fs::perm_options::add);
        }
    return Dir / Db.filename();
}

struct Case {
    const char* table;
    const char* field;
    const char* picture; // as the .VAL stores it
    const char* good;    // accepted on post ("" to skip the edit)
    const char* bad;     // refused on post
};

const Case kCases[] = {
    {"leonhad__paradoxdriver/db/AREACODE.DB", "State", "&&", "ny", "N1"},
    {"leonhad__paradoxdriver/db/AREACODE.DB", "Area Code", "###", "", ""},
    {"leonhad__paradoxdriver/areas/ZIPCODES.DB", "State", "&&", "CA", "C"},
    {"leonhad__paradoxdriver/mtdemo/CUSTOMER.DB", "Zip", "#####[-####]", "12345-6789", "1234"},
    {"leonhad__paradoxdriver/mtdemo/CUSTOMER.DB", "Phone", "###-###{#,-####}", "555-123-4567",
     "555-12x"},
    {"leonhad__paradoxdriver/mtdemo/VIDORDER.DB", "Time",
     "{0{1,2,3,4,5,6,7,8,9},1{0,1,2}}:{0,1,2,3,4,5}#{A,P}", "10:30A", "13:30A"},
};

class FixturePictures : public ::testing::TestWithParam<Case> {};

TEST_P(FixturePictures, StoredPictureIsEnforcedOnPost) {
    RAVELDA_REQUIRE_FIXTURES();
    const Case& c = GetParam();
    const fs::path source = ravelda::test::paradoxFixture(c.table);
    ASSERT_FALSE(source.empty()) << c.table;
    ravelda::test::TempDir dir;
    const fs::path db = CopyTable(source, dir.path());

    TwwTable table(nullptr);
    table.SetTableName(QString::fromStdString(db.string()));
    const QString field = QString::fromLatin1(c.field);
    // Read from the closed table first, then used while open.
    EXPECT_EQ(wwPictureByField(&table, field, true).Mask, QString::fromLatin1(c.picture));
    EXPECT_FALSE(table.Active());
    table.Open();
    EXPECT_TRUE(table.ParadoxOpen());
    if (QByteArray(c.good).isEmpty()) return;
    if (!table.CanModify()) GTEST_SKIP() << c.table << ": the engine does not write this table";

    table.Edit();
    table.FieldByName(field)->SetAsString(QString::fromLatin1(c.bad));
    try {
        table.Post();
        ADD_FAILURE() << "posted " << c.bad;
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Invalid characters. Field : ") + field);
    }
    EXPECT_EQ(table.State(), dsEdit);
    table.FieldByName(field)->SetAsString(QString::fromLatin1(c.good));
    EXPECT_NO_THROW(table.Post());
    EXPECT_EQ(table.State(), dsBrowse);
    EXPECT_EQ(table.FieldByName(field)->AsString(), QString::fromLatin1(c.good));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FixturePictures, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             std::string name = fs::path(info.param.table).stem().string() + "_" +
                                                info.param.field;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name + "_" + std::to_string(info.index);
                         });

TEST(FixturePicturesAll, EveryStoredPictureOfAMultiFieldTable) {
    RAVELDA_REQUIRE_FIXTURES();
    ravelda::test::TempDir dir;
    const fs::path db = CopyTable(
        ravelda::test::paradoxFixture("leonhad__paradoxdriver/mtdemo/FILMS.DB"), dir.path());
    TwwTable table(nullptr);
    table.SetTableName(QString::fromStdString(db.string()));
    table.Open();
    EXPECT_EQ(table.StoredPicture(QStringLiteral("Year")), QStringLiteral("####"));
    EXPECT_EQ(table.StoredPicture(QStringLiteral("Rating")), QStringLiteral("G,PG,R,X"));
    EXPECT_EQ(table.StoredPicture(QStringLiteral("# in Stock")), QString());
    EXPECT_EQ(table.StoredPictures()->Count(), 5);
}

} // namespace
