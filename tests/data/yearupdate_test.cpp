// The year-update rule (data/yearupdate.h) on a TwwTable over real key tables: the pairs, the
// year from the clock service, the rows reported, a dry run, and posts refused by a picture and
// by a row another program stored between the look-up and the insert.
#include "data/db.h"
#include "data/fields.h"
#include "data/wwtable.h"
#include "data/yearupdate.h"
#include "engine/cursor.h"
#include "engine/table.h"
#include "platform/strings.h"
#include "platform/testseams.h"
#include "tests/support/dataset_helpers.h"

#include <gtest/gtest.h>
#include <tuple>

using ravelda::test::KeyRow;
using ravelda::test::TempAlias;
namespace engine = ravelda::engine;

namespace {

using Reported = std::tuple<std::string, std::string, int>;

const std::vector<Reported> kSix2031 = {
    {"BOLLE.DB", "2031", 0},   {"FATTURE.DB", "2031", 0},    {"FATTURE.DB", "2031", 1},
    {"ORDINIF.DB", "2031", 0}, {"PREVENTIVI.DB", "2031", 0}, {"PREVENTIVIF.DB", "2031", 0},
};

std::vector<Reported> Rows(const std::vector<KeyRow>& rows) {
    std::vector<Reported> out;
    for (const KeyRow& r : rows)
        out.emplace_back(r.tabella, r.anno, r.registro);
    return out;
}

class YearUpdateRule : public ::testing::Test {
protected:
    void Open(const std::vector<KeyRow>& rows) {
        for (const auto& e : std::filesystem::directory_iterator(alias.folder()))
            std::filesystem::remove(e.path());
        keysPath = alias.createKeysTable(rows);
        table.SetDatabaseName(alias.aliasName());
        table.SetTableName(QStringLiteral("Keys.DB"));
        table.AfterPost = [this](TDataSet* ds) { posted.push_back(Current(ds)); };
        table.Open();
    }
    static Reported Current(TDataSet* ds) {
        return {ds->FieldByName(QStringLiteral("Tabella"))->AsString().toStdString(),
                ds->FieldByName(QStringLiteral("Anno"))->AsString().toStdString(),
                static_cast<int>(ds->FieldByName(QStringLiteral("Registro"))->AsInteger())};
    }
    int Run(TYearUpdateMode mode = TYearUpdateMode::Write, quint16 year = 2031) {
        return RunYearUpdate(
            &table, year,
            [this](const TYearUpdateRow& r) {
                reported.emplace_back(r.Tabella.toStdString(), r.Anno.toStdString(), r.Registro);
            },
            mode);
    }
    // The stored rows, as another program reads them.
    std::vector<Reported> Stored() {
        auto other = engine::Table::open(keysPath);
        std::vector<Reported> rows;
        auto c = other->cursor();
        for (bool on = c->first(); on; on = c->next()) {
            auto row = c->row();
            rows.emplace_back(row[0].asText(), row[1].asText(),
                              static_cast<int>(row[2].asInteger()));
        }
        return rows;
    }
    void TearDown() override {
        if (table.Active()) {
            table.Cancel();
            table.Close();
        }
    }

    TempAlias alias;
    std::filesystem::path keysPath;
    TwwTable table{nullptr};
    std::vector<Reported> posted, reported;
};

TEST(YearUpdatePairs, AreTheSixInOrder) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const TYearUpdatePair& p : YearUpdatePairs())
        pairs.emplace_back(p.Tabella, p.Registro);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"BOLLE.DB", "0"},   {"FATTURE.DB", "0"},    {"FATTURE.DB", "1"},
        {"ORDINIF.DB", "0"}, {"PREVENTIVI.DB", "0"}, {"PREVENTIVIF.DB", "0"}};
    EXPECT_EQ(pairs, expected);
}

TEST(YearUpdateCurrentYear, ComesFromTheClockService) {
    TTestClock clock(QDateTime(QDate(2031, 12, 31), QTime(23, 59)));
    EXPECT_EQ(YearUpdateCurrentYear(), 2031);
    clock.SetNow(QDateTime(QDate(2032, 1, 1), QTime(0, 0)));
    EXPECT_EQ(YearUpdateCurrentYear(), 2032);
}

TEST_F(YearUpdateRule, ReportsEachRowItPosts) {
    struct Case {
        const char* name;
        std::vector<KeyRow> before;
        std::vector<Reported> added;
    };
    const Case cases[] = {
        {"none present", {{"BOLLE.DB", "2030", 0, 412}, {"CLIENTI.DB", "2031", 0, 88}}, kSix2031},
        {"some present",
         {{"FATTURE.DB", "2031", 1, 250}, {"PREVENTIVI.DB", "2031", 0, 9}},
         {kSix2031[0], kSix2031[1], kSix2031[3], kSix2031[5]}},
        {"lower case does not count", {{"fatture.db", "2031", 0, 44}}, kSix2031},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        table.Close();
        posted.clear();
        reported.clear();
        Open(c.before);
        EXPECT_EQ(Run(), static_cast<int>(c.added.size()));
        EXPECT_EQ(reported, c.added);
        EXPECT_EQ(posted, c.added);
        EXPECT_EQ(table.State(), dsBrowse);
        // Everything is there now: a second run adds nothing.
        reported.clear();
        EXPECT_EQ(Run(), 0);
        EXPECT_TRUE(reported.empty());
        EXPECT_EQ(Stored().size(), c.before.size() + c.added.size());
    }
}

TEST_F(YearUpdateRule, AllSixPresentChangesNothing) {
    std::vector<KeyRow> six;
    for (const auto& [t, a, r] : kSix2031)
        six.push_back({t, a, r, 100 + r});
    Open(six);
    const auto before = Stored();
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(reported.empty());
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(Stored(), before);
}

TEST_F(YearUpdateRule, ADryRunReportsTheSameRowsAndWritesNothing) {
    Open({{"FATTURE.DB", "2031", 1, 250}});
    EXPECT_EQ(Run(TYearUpdateMode::DryRun), 5);
    const auto dry = reported;
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(table.State(), dsBrowse);
    EXPECT_EQ(Stored(), Rows({{"FATTURE.DB", "2031", 1, 250}}));
    reported.clear();
    EXPECT_EQ(Run(), 5);
    EXPECT_EQ(reported, dry);
}

TEST_F(YearUpdateRule, APictureRefusalStopsAtThatRowAndKeepsTheOnesBefore) {
    Open({});
    table.Close();
    // Register 0 only, as a PictureMasks line: the post of FATTURE.DB register 1 is refused.
    TStringList masks;
    masks.Add(QStringLiteral("Registro\t0\tF\tF"));
    table.SetPictureMasks(&masks);
    table.Open();
    EXPECT_THROW(Run(), EDatabaseError);
    EXPECT_EQ(reported, (std::vector<Reported>{kSix2031[0], kSix2031[1]}));
    EXPECT_EQ(table.State(), dsInsert);
    EXPECT_EQ(Current(&table), kSix2031[2]);
    EXPECT_EQ(Stored(), (std::vector<Reported>{kSix2031[0], kSix2031[1]}));
}

TEST_F(YearUpdateRule, ARowStoredByAnotherProgramAfterTheLookUpIsRefused) {
    Open({});
    // Another table object stores FATTURE.DB 2031/1 between our look-up and our post.
    bool raced = false;
    table.BeforePost = [&](TDataSet* ds) {
        if (raced || ds->FieldByName(QStringLiteral("Registro"))->AsInteger() != 1) return;
        raced = true;
        TTable other(nullptr);
        other.SetDatabaseName(alias.aliasName());
        other.SetTableName(QStringLiteral("Keys.DB"));
        other.Open();
        other.Insert();
        other.FieldByName(QStringLiteral("Tabella"))->SetAsString(QStringLiteral("FATTURE.DB"));
        other.FieldByName(QStringLiteral("Anno"))->SetAsString(QStringLiteral("2031"));
        other.FieldByName(QStringLiteral("Registro"))->SetAsInteger(1);
        other.FieldByName(QStringLiteral("Chiave"))->SetAsInteger(77);
        other.Post();
    };
    try {
        Run();
        ADD_FAILURE() << "the post was not refused";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Key violation"));
    }
    EXPECT_EQ(reported, (std::vector<Reported>{kSix2031[0], kSix2031[1]}));
    EXPECT_EQ(table.State(), dsInsert);
    EXPECT_EQ(Stored(), (std::vector<Reported>{kSix2031[0], kSix2031[1], kSix2031[2]}));
    // Cancelled, the next run keeps the other program's row and adds the rest.
    table.Cancel();
    reported.clear();
    EXPECT_EQ(Run(), 3);
    EXPECT_EQ(reported, (std::vector<Reported>{kSix2031[3], kSix2031[4], kSix2031[5]}));
    EXPECT_EQ(Stored(), kSix2031);
}

} // namespace
