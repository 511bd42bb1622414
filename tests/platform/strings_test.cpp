// String lists: text and comma text, name/value lines, copies, change notices, sorted lists.
#include "platform/exceptions.h"
#include "platform/strings.h"

#include <gtest/gtest.h>

namespace {

struct TextCase {
    const char* text;
    QStringList lines;
    const char* back; // Text() after setting
};

TEST(Strings, TextSplitsAtEveryLineBreak) {
    const TextCase cases[] = {
        {"", {}, ""},
        {"a", {"a"}, "a\n"},
        {"a\nb\n", {"a", "b"}, "a\nb\n"},
        {"a\r\nb", {"a", "b"}, "a\nb\n"},
        {"a\rb\r", {"a", "b"}, "a\nb\n"},
        {"\n\n", {"", ""}, "\n\n"},
        {"a\n\r\nb", {"a", "", "b"}, "a\n\nb\n"},
        {"Tabella\t!!!\nAnno\t####", {"Tabella\t!!!", "Anno\t####"}, "Tabella\t!!!\nAnno\t####\n"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.text);
        TStringList s;
        s.SetText(QString::fromUtf8(c.text));
        EXPECT_EQ(s.ToStringList(), c.lines);
        EXPECT_EQ(s.Text(), QString::fromUtf8(c.back));
    }
}

struct CommaCase {
    const char* comma;
    QStringList lines;
    const char* back;
};

TEST(Strings, CommaTextQuotesWhatNeedsIt) {
    const CommaCase cases[] = {
        {"a,b,c", {"a", "b", "c"}, "a,b,c"},
        {"\"a b\",c", {"a b", "c"}, "\"a b\",c"},
        {"a b", {"a", "b"}, "a,b"}, // blanks separate, as in the classic lists
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}, "\"say \"\"hi\"\"\""},
        {"a,", {"a", ""}, "a,\"\""},
        {"", {}, ""},
    };
    for (const CommaCase& c : cases) {
        SCOPED_TRACE(c.comma);
        TStringList s;
        s.SetCommaText(QString::fromUtf8(c.comma));
        EXPECT_EQ(s.ToStringList(), c.lines);
        EXPECT_EQ(s.CommaText(), QString::fromUtf8(c.back));
    }
}

TEST(Strings, NameValueLines) {
    TStringList s;
    s.SetText("Tabella=30\nAnno=4\nplain\nEmpty=\n");
    EXPECT_EQ(s.Names(0), "Tabella");
    EXPECT_EQ(s.Names(2), "");
    EXPECT_EQ(s.Values("anno"), "4"); // names compare case-insensitively
    EXPECT_EQ(s.Values("Missing"), "");
    EXPECT_EQ(s.ValueFromIndex(3), "");
    EXPECT_EQ(s.IndexOfName("Empty"), 3);
    s.SetValue("Anno", "5");
    EXPECT_EQ(s.Strings(1), "Anno=5");
    s.SetValue("Registro", "10");
    EXPECT_EQ(s.Strings(4), "Registro=10");
    s.SetValue("Tabella", ""); // an empty value deletes the line
    EXPECT_EQ(s.IndexOfName("Tabella"), -1);
    EXPECT_EQ(s.Count(), 4);
    s.SetNameValueSeparator(QLatin1Char('\t'));
    s.SetText("Tabella\t&&&\n");
    EXPECT_EQ(s.Values("Tabella"), "&&&");
}

TEST(Strings, AssignmentCopies) {
    TStringList a, b;
    a.SetText("x\ny\n");
    b.Assign(a);
    a.Put(0, "changed");
    EXPECT_EQ(b.Strings(0), "x");
    EXPECT_TRUE(b.Equals(b));
    b.Assign(b); // self-assignment keeps the lines
    EXPECT_EQ(b.Count(), 2);
    b.AddStrings(b);
    EXPECT_EQ(b.Text(), "x\ny\nx\ny\n");
}

TEST(Strings, IndexErrorsAndLookUps) {
    TStringList s;
    s.Add("Alpha");
    EXPECT_EQ(s.IndexOf("ALPHA"), 0);
    s.SetCaseSensitive(true);
    EXPECT_EQ(s.IndexOf("ALPHA"), -1);
    EXPECT_THROW(s.Strings(1), EStringListError);
    EXPECT_THROW(s.Delete(-1), EStringListError);
    EXPECT_THROW(s.Insert(3, "x"), EStringListError);
    try {
        s.Strings(5);
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (5)");
    }
}

TEST(Strings, ChangeNoticesWaitForEndUpdate) {
    TStringList s;
    int changes = 0;
    s.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &s);
        ++changes;
    };
    s.Add("a");
    EXPECT_EQ(changes, 1);
    s.BeginUpdate();
    s.Add("b");
    s.Add("c");
    s.BeginUpdate();
    s.EndUpdate();
    EXPECT_EQ(changes, 1);
    s.EndUpdate();
    EXPECT_EQ(changes, 2);
    s.SetText("x\ny\nz\n"); // one notice for the whole text
    EXPECT_EQ(changes, 3);
    s.BeginUpdate();
    s.EndUpdate(); // nothing changed, no notice
    EXPECT_EQ(changes, 3);
}

TEST(Strings, SortedListsKeepOrderAndDuplicates) {
    TStringList s;
    s.SetSorted(true);
    for (const char* x : {"pear", "Apple", "fig", "apple"})
        s.Add(x);
    EXPECT_EQ(s.ToStringList(),
              (QStringList{"Apple", "fig", "pear"})); // dupIgnore, case-insensitive
    int index = -1;
    EXPECT_TRUE(s.Find("FIG", index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(s.Find("grape", index));
    EXPECT_EQ(index, 2);
    EXPECT_THROW(s.Insert(0, "x"), EStringListError);
    s.SetDuplicates(dupError);
    EXPECT_THROW(s.Add("pear"), EStringListError);
    s.SetDuplicates(dupAccept);
    s.Add("pear");
    EXPECT_EQ(s.Count(), 4);
}

} // namespace
