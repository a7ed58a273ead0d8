#include <gtest/gtest.h>

#include "testing/search_fixture.h"

namespace {

using Lines = std::vector<std::string>;

TEST(ContentSearchTest, TermTestFollowsTheModeOverRawBytes) {
  const struct {
    std::int32_t mode;
    std::string content;  // UTF-8, stored as code page bytes
    std::string terms;
    bool found;
  } cases[] = {
      // clang-format off
      {1, "HERR MÜLLER", "|müller|", true}, {2, "HERR MÜLLER", "|müller|", false},
      {3, "NORD", "|nord|", false}, {2, {"No\0rd", 5}, "|Nord|", false},
      {2, {"\0\0Nord", 6}, "|Nord|", true}, {2, "Nord", "| Nord|", false},
      {1, "x", "||", true}, {2, {"\0", 1}, "||", true}, {1, "", "||", false},
      {1, "", "|Ha", true},  // no closed field: no terms
      {1, "Hafen", "|Nord|Ha", false},
      // clang-format on
  };
  for (const auto& c : cases) {
    SearchFixture fixture;
    fixture.form().SearchMode = c.mode;
    fixture.AddFile("a", Cp1252(c.content));
    fixture.AddPerson("P", c.terms);
    fixture.form().SearchFiles();
    EXPECT_EQ(fixture.HitsOf(1), c.found ? "|1|" : "|") << c.content << " " << c.terms;
  }
  // The encodings the configuration enables are the ones looked in.
  for (const bool ansiOnly : {false, true}) {
    SearchFixture fixture;
    if (ansiOnly) fixture.form().ExecConfigLine(u"ENCODING|ANSI|");
    fixture.AddFile("ansi", Cp1252("Schön"));
    fixture.AddFile("utf8", "Sch\xC3\xB6n");
    fixture.AddFile("utf16", std::string("S\0c\0h\0\xF6\0n\0", 10));
    fixture.AddPerson("P", "|schön|");
    fixture.form().SearchFiles();
    EXPECT_EQ(fixture.HitsOf(1), ansiOnly ? "|1|" : "|1|2|3|");
  }
}

TEST(ContentSearchTest, WholeRunRecordsAndLogsHitsInOrder) {
  const struct {
    std::int32_t mode;
    Lines hits;          // of Nord, Hafen, Alle, Leer
    std::string logged;  // the file of each log line; "!": d could not be read
  } cases[] = {{1, {"|1|3|5|", "|1|3|", "|1|2|3|5|", "|1|3|5|"}, "aaaabcccc!eee"},
               {2, {"|1|", "|3|", "|1|2|3|5|", "|1|3|5|"}, "aaabccc!ee"}};
  for (const auto& c : cases) {
    SearchFixture fixture;
    fixture.form().SearchMode = c.mode;
    fixture.AddFile("a", "Nord und Hafen");  // two of Nord's terms: one hit
    fixture.AddFile("b", "");
    fixture.AddFile("c", "hafen");
    fixture.AddFile("d", {}, 4);  // deleted since the walk
    fixture.AddFile("e", {"\0\0NORD", 6});
    fixture.AddPerson("Nord", "|Nord|Hafen|");
    fixture.AddPerson("Hafen", "|hafen|");
    fixture.AddPerson("Alle", "|");
    fixture.AddPerson("Leer", "||");
    fixture.form().SearchFiles();
    for (std::int32_t person = 1; person <= 4; ++person)
      EXPECT_EQ(fixture.HitsOf(person), c.hits[person - 1]) << c.mode << " person " << person;
    Lines expected;
    for (const char file : c.logged)
      expected.push_back(file == '!' ? "ERROR: cannot read file: @d"
                                     : "found new file: @" + std::string(1, file));
    EXPECT_EQ(fixture.Log(), expected) << c.mode;
    EXPECT_EQ(fixture.window().StatusTexts,
              (std::vector<std::u16string>{u"Start", u"durchsuche Dateien...", u"a", u"b", u"c",
                                           u"d", u"e", u"fertig"}));
    EXPECT_EQ(fixture.form().processBar.Width, 6315.0F);  // the unreadable file counts too
  }
}

TEST(ContentSearchTest, HitsOfTheShownPersonUpdateTheViewLive) {
  SearchFixture fixture;
  for (const char* name : {"a", "b", "c", "d"})
    fixture.AddFile(name, name[0] == 'c' ? "y" : "x");
  fixture.AddPerson("P", "|x|");
  fixture.AddPerson("Q", "|");  // found everywhere, never on display
  fixture.form().ShowPerson(1);
  std::vector<std::string> seen{fixture.View()};
  fixture.window().At(1, [&](MainForm&) { seen.push_back(fixture.View()); });
  fixture.window().At(2, [&](MainForm& form) {
    form.PersonFundstellenAuswahl.Value = 2;
    form.PersonFundstellenAuswahl_Change();
    seen.push_back(fixture.View());
  });
  fixture.form().SearchFiles();  // c holds no x: P is passed over without a point
  seen.push_back(fixture.View());
  EXPECT_EQ(seen, (std::vector<std::string>{"0   1 1 off", "1 1 @a 1 1 on", "2 2 @b 2 2 on",
                                            "3 2 @b 3 2 on"}));
}

TEST(ContentSearchTest, UserActionsRunBetweenFilesAndClosingStops) {
  // Points: 1 Nie's miss of x in a, 2 after a (sort and pick the first), 3 Nie's miss in b, 4
  // after b (delete a, still to be searched as file 3), 5 after file 3, which cannot be read.
  // Keiner misses in every file and is passed over without a point.
  const struct {
    int closeAt;  // 0: never
    std::u16string status;
    std::vector<std::string> log;
  } cases[] = {
      // clang-format off
      {0, u"fertig", {"found new file: @a", "found new file: @a", "found new file: @b",
                      "found new file: @b", "KILL: @a", "ERROR: cannot read file: @a"}},
      {1, u"a", {"EXIT"}}, {2, u"a", {"found new file: @a", "found new file: @a", "EXIT"}},
      {3, u"b", {"found new file: @a", "found new file: @a", "EXIT"}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SearchFixture fixture;
    for (const char* name : {"a", "b", "a"})  // the same file reached twice
      fixture.AddFile(name, "y");
    fixture.AddPerson("Keiner", "|z|");
    fixture.AddPerson("Nie", "|x|y|");
    fixture.AddPerson("Alle", "|");
    if (c.closeAt > 0) fixture.window().At(c.closeAt, UserCloses());
    fixture.window().At(2, [](MainForm& form) {
      form.SortList_Click();
      form.PersonList.ListIndex = 0;
      form.PersonList_Click();
    });
    fixture.window().At(4, [&fixture](MainForm& form) {
      fixture.window().AnswerNext(MessageAnswer::Yes);
      form.Command2_Click();
    });
    fixture.form().SearchFiles();
    EXPECT_EQ(fixture.Log(), c.log) << c.closeAt;
    EXPECT_EQ(fixture.form().Status.Caption, c.status) << c.closeAt;
    EXPECT_EQ(fixture.window().Points, c.closeAt > 0 ? c.closeAt : 5);
    if (c.closeAt == 0) {
      EXPECT_EQ(fixture.form().PersonList.Items,
                (std::vector<std::u16string>{u"Nie", u"Alle", u"Keiner"}));
      EXPECT_EQ(fixture.form().PersonHäufigkeit.Caption, u"2");  // Nie, shown since point 2
    }
  }
}

TEST(ContentSearchTest, ALargeFileComesInBlocksWithPointsBetweenThem) {
  // Blocks of 4 bytes: "..Nord.." crosses a boundary; a gives points 1 and 2 between its three
  // blocks and point 3 after it. Reading b fails after its first block, which holds Nord.
  const struct {
    int closeAt;  // 0: never
    std::vector<std::string> log;
    std::string hits;
    std::vector<std::int32_t> unreadable;
  } cases[] = {
      {0,
       {"found new file: @a", "ERROR: cannot read file: @b", "found new file: @c"},
       "|1|3|",
       {2}},
      {2, {"EXIT"}, "|", {}},  // closed between two blocks of a: no hit from half a file
      {3, {"found new file: @a", "EXIT"}, "|1|", {}},
  };
  for (const auto& c : cases) {
    for (const ReadThread thread : {ReadThread::Helper, ReadThread::Caller}) {
      SearchFixture fixture(ReadLimits{.BlockBytes = 4, .BytesAhead = 8, .Thread = thread});
      fixture.AddFile("a", "xx Nord xx");
      fixture.AddFile("b", "Nord and more");
      fixture.AddFile("c", "Nord");
      fixture.system().FailReadAfter(fixture.PathOf("b"), 4);
      fixture.AddPerson("Nord", "|Nord|");
      if (c.closeAt > 0) fixture.window().At(c.closeAt, UserCloses());
      fixture.form().SearchFiles();
      EXPECT_EQ(fixture.Log(), c.log) << c.closeAt;
      EXPECT_EQ(fixture.HitsOf(1), c.hits) << c.closeAt;
      EXPECT_EQ(fixture.form().UnreadableFiles, c.unreadable) << c.closeAt;
    }
  }
}

}  // namespace

TEST(ContentSearchTest, ManyTermsArePreparedBetweenPointsAndAClosingThereSearchesNothing) {
  for (const bool close : {false, true}) {
    SearchFixture fixture;
    fixture.AddFile("a", "t0");
    for (int person = 0; person < 1000; ++person) {
      const std::string number = std::to_string(person);
      fixture.AddPerson("P" + number, "|t" + number + "|");
    }
    if (close) fixture.window().At(1, UserCloses());
    fixture.form().SearchFiles();
    EXPECT_EQ(fixture.Log(), close ? std::vector<std::string>{"EXIT"}
                                   : std::vector<std::string>{"found new file: @a"});
    EXPECT_EQ(fixture.HitsOf(1), close ? "|" : "|1|");
  }
}
