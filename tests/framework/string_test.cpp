// CString: the interface callers rely on, and double-byte (GBK) text whose trail
// bytes look like ASCII letters or separators.
#include <gtest/gtest.h>

#include "framework/afx.h"

namespace {
// Forces GBK rules for one test and restores the default afterwards.
struct Gbk {
  Gbk() { FwSetCodePage(936); }
  ~Gbk() { FwSetCodePage(0); }
};

// "\xB1\x5C" and "\x81\x61" are single GBK characters whose second bytes are '\\' and 'a'.
const char* const kBackslashTrail = "\xB1\x5C";
const char* const kLetterTrail = "\x81\x61";
}  // namespace

TEST(CStringBasics, ConstructAssignConcatCompare) {
  CString a("abc"), b("abcdef", 3), c('x', 3), empty, fromNull((const char*)nullptr);
  EXPECT_TRUE(a == b);
  EXPECT_TRUE(c == "xxx");
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_TRUE(fromNull.IsEmpty());
  EXPECT_EQ(CString("abc", 0).GetLength(), 0);
  CString s = a + "-" + c + '!';
  EXPECT_TRUE(s == "abc-xxx!");
  EXPECT_TRUE("<" + a == "<abc");
  s += a;
  s += 'z';
  s += "9";
  EXPECT_TRUE(s == "abc-xxx!abcz9");
  EXPECT_TRUE(a != "abd");
  EXPECT_TRUE(a < "abd" && "abb" < a);
  EXPECT_LT(a.Compare("abd"), 0);
  EXPECT_EQ(a.CompareNoCase("ABC"), 0);
  EXPECT_LT(CString("_").CompareNoCase("A"), 0);  // folded to lower case like the C library
  EXPECT_EQ(a[1], 'b');
  a.SetAt(0, 'X');
  EXPECT_EQ(a.GetAt(0), 'X');
  a.Empty();
  EXPECT_EQ(a.GetLength(), 0);
  // Self-assignment through the text pointer.
  CString t("hello");
  t = (const char*)t + 2;
  EXPECT_TRUE(t == "llo");
}

TEST(CStringBasics, FormatAndBuffers) {
  CString s;
  s.Format("%s=%d;%05.1f;%X;%lld", "n", -42, 3.14159, 255u, 1234567890123LL);
  EXPECT_TRUE(s == "n=-42;003.1;FF;1234567890123") << (const char*)s;
  CString big;
  big.Format("%s", CString('q', 5000).GetString());
  EXPECT_EQ(big.GetLength(), 5000);
  s.AppendFormat("|%c", 'z');
  EXPECT_TRUE(s.Right(2) == "|z");

  CString b("keep");
  char* p = b.GetBuffer(10);
  EXPECT_STREQ(p, "keep");
  strcpy(p, "0123456789");
  b.ReleaseBuffer();
  EXPECT_EQ(b.GetLength(), 10);
  p = b.GetBuffer(0);
  p[3] = '\0';
  b.ReleaseBuffer();
  EXPECT_TRUE(b == "012");
  p = b.GetBufferSetLength(2);
  EXPECT_EQ(b.GetLength(), 2);
  b.ReleaseBuffer(1);
  EXPECT_TRUE(b == "0");
}

TEST(CStringBasics, SearchAndExtract) {
  CString s("C:\\dir\\file.txt");
  EXPECT_EQ(s.Find('\\'), 2);
  EXPECT_EQ(s.Find('\\', 3), 6);
  EXPECT_EQ(s.Find('?'), -1);
  EXPECT_EQ(s.Find("file"), 7);
  EXPECT_EQ(s.Find("dir", 4), -1);
  EXPECT_EQ(s.Find("", 3), 3);
  EXPECT_EQ(s.Find('x', 100), -1);
  EXPECT_EQ(s.ReverseFind('\\'), 6);
  EXPECT_EQ(s.FindOneOf(".:"), 1);
  EXPECT_TRUE(s.Left(2) == "C:");
  EXPECT_TRUE(s.Mid(7) == "file.txt");
  EXPECT_TRUE(s.Mid(7, 4) == "file");
  EXPECT_TRUE(s.Right(3) == "txt");
  EXPECT_TRUE(s.Left(-1).IsEmpty() && s.Mid(99).IsEmpty() && s.Right(99) == s && s.Left(99) == s);
  EXPECT_TRUE(s.Mid(-5, 2) == "C:");
  EXPECT_TRUE(CString("123abc").SpanIncluding("0123456789") == "123");
  EXPECT_TRUE(CString("name,100;x").SpanExcluding(",;") == "name");

  CString cols("Name,100;Site,100;;Size,80");
  int pos = 0;
  CString tok = cols.Tokenize(";", pos);
  EXPECT_TRUE(tok == "Name,100");
  tok = cols.Tokenize(";", pos);
  EXPECT_TRUE(tok == "Site,100");
  tok = cols.Tokenize(";", pos);
  EXPECT_TRUE(tok == "Size,80");
  tok = cols.Tokenize(";", pos);
  EXPECT_TRUE(tok.IsEmpty());
  EXPECT_EQ(pos, -1);
}

TEST(CStringBasics, EditAndTrim) {
  CString s("  \t a b \r\n");
  s.Trim();
  EXPECT_TRUE(s == "a b");
  CString t("xxhixx");
  t.TrimLeft('x');
  EXPECT_TRUE(t == "hixx");
  t.TrimRight("x");
  EXPECT_TRUE(t == "hi");
  CString u("--==data==--");
  u.Trim("-=");
  EXPECT_TRUE(u == "data");

  CString r("a.b.c");
  EXPECT_EQ(r.Replace('.', '/'), 2);
  EXPECT_TRUE(r == "a/b/c");
  EXPECT_EQ(r.Replace("/", "::"), 2);
  EXPECT_TRUE(r == "a::b::c");
  EXPECT_EQ(r.Replace("::", ""), 2);
  EXPECT_TRUE(r == "abc");
  EXPECT_EQ(r.Replace("", "x"), 0);
  EXPECT_EQ(r.Remove('b'), 1);
  EXPECT_TRUE(r == "ac");
  EXPECT_EQ(r.Insert(1, "BB"), 4);
  EXPECT_EQ(r.Insert(99, '!'), 5);
  EXPECT_TRUE(r == "aBBc!");
  EXPECT_EQ(r.Delete(1, 2), 3);
  EXPECT_EQ(r.Delete(2, 99), 2);
  EXPECT_TRUE(r == "ac");
  CString m("MiXeD 123");
  EXPECT_TRUE(m.MakeUpper() == "MIXED 123");
  EXPECT_TRUE(m.MakeLower() == "mixed 123");
  EXPECT_TRUE(m.MakeReverse() == "321 dexim");
  // Bytes above 0x7F are never case-mapped, in any code page.
  CString hi("\xC4\xE4");
  EXPECT_TRUE(hi.MakeUpper() == "\xC4\xE4");
}

TEST(CStringGbk, CaseMappingLeavesTrailBytes) {
  Gbk gbk;
  CString s = CString("a") + kBackslashTrail + "b" + kLetterTrail + "c";
  s.MakeUpper();
  EXPECT_TRUE(s == CString("A") + kBackslashTrail + "B" + kLetterTrail + "C");
  s.MakeLower();
  EXPECT_TRUE(s == CString("a") + kBackslashTrail + "b" + kLetterTrail + "c");

  EXPECT_EQ(CString(kLetterTrail).CompareNoCase("\x81\x41"), 1);  // trail bytes compared as they are
  EXPECT_EQ((CString("ABC") + kLetterTrail).CompareNoCase(CString("abc") + kLetterTrail), 0);

  CString rev = CString("x") + kBackslashTrail;
  rev.MakeReverse();
  EXPECT_TRUE(rev == CString(kBackslashTrail) + "x");
}

TEST(CStringGbk, SearchNeverMatchesATrailByte) {
  Gbk gbk;
  CString path = CString("dir\\") + kBackslashTrail + kLetterTrail;  // dir\<two characters>
  EXPECT_EQ(path.Find('\\'), 3);
  EXPECT_EQ(path.Find('\\', 4), -1);
  EXPECT_EQ(path.Find('a'), -1);
  EXPECT_EQ(path.Find("\\"), 3);
  EXPECT_EQ(path.Find("\x5C\x81"), -1);  // straddles two characters
  EXPECT_EQ(path.ReverseFind('\\'), 3);
  EXPECT_EQ(path.FindOneOf("a\\"), 3);
  EXPECT_EQ(CString(kBackslashTrail).FindOneOf("\\a"), -1);
  EXPECT_EQ(path.FindOneOf(kLetterTrail), 6);  // a double-byte member of the set
  // A start inside a character moves on to the next one.
  EXPECT_EQ(CString(kLetterTrail + std::string("a")).Find('a', 1), 2);
  EXPECT_EQ(CString(kLetterTrail).Find('a', 1), -1);
}

TEST(CStringGbk, TrimReplaceAndRemoveKeepCharactersWhole) {
  Gbk gbk;
  CString s = CString("folder") + kBackslashTrail;
  s.TrimRight('\\');
  EXPECT_TRUE(s == CString("folder") + kBackslashTrail);
  s.TrimRight("\\/");
  EXPECT_TRUE(s == CString("folder") + kBackslashTrail);
  CString lead = CString(kLetterTrail) + "a";
  lead.TrimLeft("a");
  EXPECT_TRUE(lead == CString(kLetterTrail) + "a");
  CString trail = CString("a") + kLetterTrail;
  trail.TrimRight('a');
  EXPECT_TRUE(trail == CString("a") + kLetterTrail);

  CString p = CString(kBackslashTrail) + "\\x";
  EXPECT_EQ(p.Replace('\\', '/'), 1);
  EXPECT_TRUE(p == CString(kBackslashTrail) + "/x");
  CString q = CString(kBackslashTrail) + "\\x";
  EXPECT_EQ(q.Replace("\\", "/"), 1);
  EXPECT_TRUE(q == CString(kBackslashTrail) + "/x");
  EXPECT_EQ(q.Remove('\\'), 0);
  CString w = CString(kLetterTrail) + "a";
  EXPECT_EQ(w.Remove('a'), 1);
  EXPECT_TRUE(w == kLetterTrail);
  EXPECT_TRUE((CString(kLetterTrail) + "ab").SpanExcluding("a") == kLetterTrail);

  // A lead byte at the very end stands alone.
  CString cut("ab\xB1");
  EXPECT_EQ(cut.Find('\xB1'), 2);
}

TEST(CStringGbk, SingleByteCodePageTreatsEveryByteAlone) {
  FwSetCodePage(1252);
  CString s(kLetterTrail);
  EXPECT_EQ(s.Find('a'), 1);
  s.MakeUpper();
  EXPECT_TRUE(s == "\x81\x41");
  FwSetCodePage(0);
  EXPECT_FALSE(FwIsLeadByte('a'));
}

#ifdef _WIN32
TEST(CStringWin, LoadStringOfAMissingIdIsEmpty) {
  CString s("x");
  EXPECT_FALSE(s.LoadString(65000));
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleA(nullptr));
}
#endif
