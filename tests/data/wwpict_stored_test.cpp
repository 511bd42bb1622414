// The pictures that real Paradox tables store, against the values those tables hold, and typed
// the way the grid's cell editor feeds them in, one key at a time.
#include "data/wwpict.h"
#include "tests/support/fixtures.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct StoredPicture {
    const char* valFile; // below the Paradox fixtures, the .VAL file that holds the picture
    const char* field;
    const char* picture;
    std::vector<const char*> values; // a sample of what the table stores in the field
};

const char* const kWords = "!*[{ ,.,(,;,}*{ ,.,(,;,}!,@]";
const char* const kTime = "{0{1,2,3,4,5,6,7,8,9},1{0,1,2}}:{0,1,2,3,4,5}#{A,P}";

const std::vector<StoredPicture>& storedPictures() {
    static const std::vector<StoredPicture> pictures = {
        {"leonhad__paradoxdriver/mtdemo/CUSTOMER.VAL",
         "Customer #",
         "*!",
         {"1015", "1342", "9901"}},
        {"leonhad__paradoxdriver/mtdemo/CUSTOMER.VAL",
         "Last Name",
         "!*@",
         {"Elkins", "LeFurge", "Wawrzyczek", "Breitenstein"}},
        {"leonhad__paradoxdriver/mtdemo/CUSTOMER.VAL",
         "First Name",
         "!*@",
         {"Eugene", "Donald D.", "Ron & Sue", "Scott & Barbara"}},
        {"leonhad__paradoxdriver/mtdemo/CUSTOMER.VAL",
         "Address",
         kWords,
         {"2209 Purisma Creek Rd", "902 Vera Ave.", "6 Pico Ave., Apt. 22",
          "3325 W. 25th St., Apt. 4", "912 S. Pacific Way", "19919 MacMurray Ave.",
          "1234 Avenue G"}},
        {"leonhad__paradoxdriver/mtdemo/CUSTOMER.VAL",
         "City",
         kWords,
         {"San Gregorio", "Redwood City", "El Granada", "Forest Hills"}},
        {"leonhad__paradoxdriver/mtdemo/CUSTOMER.VAL", "Customer State", "&&", {"CA", "OR", "NV"}},
        {"leonhad__paradoxdriver/mtdemo/CUSTOMER.VAL",
         "Zip",
         "#####[-####]",
         {"94141", "02146", "81111", "94062"}},
        {"leonhad__paradoxdriver/mtdemo/CUSTOMER.VAL",
         "Phone",
         "###-###{#,-####}",
         {"415-323-9701", "617-321-9569", "415-574-8209"}},
        {"leonhad__paradoxdriver/mtdemo/FILMS.VAL", "Film #", "*!", {"A1001", "B1406", "C1211"}},
        {"leonhad__paradoxdriver/mtdemo/FILMS.VAL",
         "Film Title",
         kWords,
         {"It Happened One Night", "8-1/2", "Sophie's Choice", "He-Man Cartoons, Vol.3",
          "Airplane II: The Sequel", "How To Cook Fish & Eggs", "Z"}},
        {"leonhad__paradoxdriver/mtdemo/FILMS.VAL",
         "Actors",
         kWords,
         {"C.Gable,C.Colbert", "J.Fonda, D.Parton", "G.Lucas(Dir.)", "M.J.Fox,C.Lloyd",
          "Costa-Gavras(Dir.)", "Julia Child"}},
        {"leonhad__paradoxdriver/mtdemo/FILMS.VAL", "Year", "####", {"1934", "1982"}},
        {"leonhad__paradoxdriver/mtdemo/FILMS.VAL", "Rating", "G,PG,R,X", {"G", "PG", "R"}},
        {"leonhad__paradoxdriver/mtdemo/PAYMENT.VAL",
         "Method of Payment",
         "C{ash,heck},Visa,MC,AmerExpr",
         {"Cash", "Check", "Visa", "MC", "AmerExpr"}},
        {"leonhad__paradoxdriver/mtdemo/STORE.VAL",
         "Store Name",
         "!*@",
         {"Video West", "The Video Stop"}},
        {"leonhad__paradoxdriver/mtdemo/STORE.VAL", "Store State", "!!", {"CA", "OR", "NV"}},
        {"leonhad__paradoxdriver/mtdemo/VIDORDER.VAL",
         "Time",
         kTime,
         {"06:30P", "12:00P", "10:30A", "09:00A", "11:30A", "01:00P"}},
        {"leonhad__paradoxdriver/areas/ZIPCODES.VAL",
         "Zip",
         "#####",
         {"00401", "03054", "45235", "99950"}},
        {"leonhad__paradoxdriver/db/AREACODE.VAL", "Area Code", "###", {"201", "205"}},
        {"leonhad__paradoxdriver/db/AREACODE.VAL", "State", "&&", {"NJ", "DC"}},
        // The table of this one holds no rows; these are the forms its picture is made for.
        {"leonhad__paradoxdriver/joins/multiple.val",
         "A",
         "[(*3{#}) ]*3{#}-*4{#}",
         {"(415) 555-1234", "555-1234", "(800) 000-0000"}},
    };
    return pictures;
}

// Posting checks each value with a fresh validator without auto-fill.
TEST(StoredPictures, StoredValuesAreCompleteAndKeptAsStored) {
    for (const StoredPicture& p : storedPictures()) {
        TwwPictureValidator v(QString::fromUtf8(p.picture), false);
        ASSERT_EQ(v.Status(), TwwPictureValidator::vsOk) << p.picture;
        for (const char* value : p.values) {
            SCOPED_TRACE(std::string(p.field) + ": " + value);
            QString text = QString::fromUtf8(value);
            EXPECT_EQ(v.Picture(text, false), prComplete);
            EXPECT_EQ(text, QString::fromUtf8(value));
            EXPECT_TRUE(v.IsValid(QString::fromUtf8(value)));
        }
    }
}

// Every beginning of a stored value is a valid beginning; auto-fill only ever adds what the value
// itself goes on with.
TEST(StoredPictures, PrefixesOfStoredValuesAreValidBeginnings) {
    for (const StoredPicture& p : storedPictures()) {
        TwwPictureValidator v(QString::fromUtf8(p.picture), true);
        for (const char* value : p.values) {
            const QString full = QString::fromUtf8(value);
            for (qsizetype n = 1; n < full.size(); ++n) {
                SCOPED_TRACE(std::string(p.picture) + " with " + full.left(n).toStdString());
                QString plain = full.left(n);
                const TwwPicResult r = v.Picture(plain, false);
                EXPECT_TRUE(r == prComplete || r == prIncomplete) << r;
                EXPECT_EQ(plain, full.left(n));

                QString filled = full.left(n);
                const TwwPicResult f = v.Picture(filled, true);
                EXPECT_TRUE(f == prComplete || f == prIncomplete) << f;
                EXPECT_TRUE(full.startsWith(filled)) << filled.toStdString();
            }
        }
    }
}

TEST(StoredPictures, ValuesOutsideThePictureAreRefused) {
    const struct {
        const char* picture;
        const char* value;
    } cases[] = {
        {"#####[-####]", "9414"},      // too short: only a beginning
        {"#####[-####]", "94141-12"},  // an unfinished optional part
        {"#####[-####]", "941411234"}, // the optional part needs its "-"
        {"###-###{#,-####}", "415-3239701"},
        {"###-###{#,-####}", "415-323-97"},
        {"C{ash,heck},Visa,MC,AmerExpr", "Discover"},
        {"C{ash,heck},Visa,MC,AmerExpr", "Checks"},
        {kTime, "13:00P"},
        {kTime, "00:30A"},
        {kTime, "06:60P"},
        {kTime, "06:30"},
        {kTime, "06:30X"},
        {"[(*3{#}) ]*3{#}-*4{#}", "(415)555-1234"},
        {"[(*3{#}) ]*3{#}-*4{#}", "415-555-1234"},
        {"&&", "C4"},
        {"G,PG,R,X", "NC-17"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.picture) + " with " + c.value);
        TwwPictureValidator v(QString::fromUtf8(c.picture), false);
        EXPECT_FALSE(v.IsValid(QString::fromUtf8(c.value)));
    }
}

// Feeds keys in as the grid's cell editor does: each key is matched with the picture's auto-fill;
// an error is retried once with a blank typed first; a key that still fails is refused.
QString typeKeys(TwwPictureValidator& v, const QString& keys) {
    QString text;
    for (const QChar key : keys) {
        QString candidate = text + key;
        TwwPicResult r = v.Picture(candidate, true);
        if (r == prError) {
            QString blank = text + u' ';
            if (v.Picture(blank, true) != prError) {
                candidate = blank + key;
                r = v.Picture(candidate, true);
            }
        }
        if (r == prComplete || r == prIncomplete) text = candidate;
    }
    return text;
}

TEST(StoredPictures, TypingFillsInTheFixedCharacters) {
    const struct {
        const char* picture;
        const char* keys;
        const char* text;
        TwwPicResult result; // of the final text, matched without auto-fill
    } cases[] = {
        {"###-###{#,-####}", "415323-9701", "415-323-9701", prComplete},
        // a typed "-" that auto-fill already put there is refused
        {"###-###{#,-####}", "415-323-9701", "415-323-9701", prComplete},
        {"###-###{#,-####}", "4153239701", "415-3239", prComplete}, // the first alternative wins
        {"#####[-####]", "941411234", "94141-1234", prComplete},    // a blank stands for "-"
        {"#####[-####]", "94141", "94141", prComplete},
        {"#####[-####]", "94141-", "94141-", prIncomplete},
        {kTime, "0630p", "06:30P", prComplete},
        {kTime, "1230a", "12:30A", prComplete},
        {kTime, "19", "1", prIncomplete}, // no hour 19
        {kTime, "12", "12:", prIncomplete},
        {"C{ash,heck},Visa,MC,AmerExpr", "v", "Visa", prComplete},
        {"C{ash,heck},Visa,MC,AmerExpr", "m", "MC", prComplete},
        {"C{ash,heck},Visa,MC,AmerExpr", "a", "AmerExpr", prComplete},
        {"C{ash,heck},Visa,MC,AmerExpr", "ch", "Check", prComplete},
        {"C{ash,heck},Visa,MC,AmerExpr", "ca", "Cash", prComplete},
        {"C{ash,heck},Visa,MC,AmerExpr", "c", "C", prIncomplete},
        {"[(*3{#}) ]*3{#}-*4{#}", "(4155551234", "(415) 555-1234", prComplete},
        {"[(*3{#}) ]*3{#}-*4{#}", "(415) 555-1234", "(415) 555-1234", prComplete},
        {"[(*3{#}) ]*3{#}-*4{#}", "5551234", "555-1234", prComplete},
        {kWords, "902 vera ave.", "902 Vera Ave.", prComplete},
        {kWords, "c.gable,c.colbert", "C.Gable,C.Colbert", prComplete},
        {kWords, "g.lucas(dir.)", "G.Lucas(Dir.)", prComplete},
        {"!*@", "elkins", "Elkins", prComplete},
        {"*!", "a1001", "A1001", prComplete},
        {"&&", "c4a", "CA", prComplete},
        {"G,PG,R,X", "p", "PG", prComplete},
        {"G,PG,R,X", "x", "X", prComplete},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.picture) + " typing " + c.keys);
        TwwPictureValidator v(QString::fromUtf8(c.picture), true);
        QString text = typeKeys(v, QString::fromUtf8(c.keys));
        EXPECT_EQ(text.toStdString(), std::string(c.text));
        EXPECT_EQ(v.Picture(text, false), c.result);
    }
}

// The pictures above are the ones the fixture files really store.
TEST(StoredPictures, PicturesAreTheOnesTheFilesHold) {
    RAVELDA_REQUIRE_FIXTURES();
    for (const StoredPicture& p : storedPictures()) {
        const auto path = ravelda::test::paradoxFixture(p.valFile);
        ASSERT_FALSE(path.empty()) << p.valFile;
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << path;
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        EXPECT_NE(bytes.find(std::string(p.picture) + '\0'), std::string::npos)
            << p.picture << " in " << p.valFile;
    }
}

} // namespace
