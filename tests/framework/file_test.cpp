// Files on disk and in memory, and folder enumeration.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "framework/afx.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
#ifdef _WIN32
const char kSep = '\\';
#else
const char kSep = '/';
#endif

// A fresh empty folder, removed with its files at the end of the test.
class TempDir {
public:
  TempDir() {
#ifdef _WIN32
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    for (int i = 0;; ++i) {
      m_path.Format("%sfwtest%lu_%d", base, GetCurrentProcessId(), i);
      if (CreateDirectoryA(m_path, nullptr)) break;
    }
#else
    char tmpl[] = "/tmp/fwtestXXXXXX";
    m_path = mkdtemp(tmpl);
#endif
  }
  ~TempDir() { RemoveTree(m_path); }
  CString Path(const char* name) const { return m_path + kSep + name; }
  const CString& Root() const { return m_path; }

  static void MakeDir(const CString& p) {
#ifdef _WIN32
    CreateDirectoryA(p, nullptr);
#else
    mkdir(p, 0755);
#endif
  }

private:
  static void RemoveTree(const CString& dir) {
    CFileFind ff;
    BOOL more = ff.FindFile(dir + kSep + "*");
    while (more) {
      more = ff.FindNextFile();
      if (ff.IsDots()) continue;
      if (ff.IsDirectory())
        RemoveTree(ff.GetFilePath());
      else
        std::remove(ff.GetFilePath());
    }
    ff.Close();
#ifdef _WIN32
    RemoveDirectoryA(dir);
#else
    rmdir(dir);
#endif
  }
  CString m_path;
};

void WriteFile(const CString& path, const char* text) {
  CFile f(path, CFile::modeCreate | CFile::modeWrite);
  f.Write(text, (UINT)std::strlen(text));
  f.Close();
}

std::string ReadAll(CFile& f) {
  std::string out((size_t)f.GetLength(), '\0');
  f.SeekToBegin();
  EXPECT_EQ(f.Read(&out[0], (UINT)out.size()), out.size());
  return out;
}
}  // namespace

TEST(CFileTest, CreateNoTruncateSeekAndLength) {
  TempDir dir;
  CString path = dir.Path("data.bin");
  WriteFile(path, "hello");

  CFile f;
  ASSERT_TRUE(f.Open(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite | CFile::shareDenyNone));
  EXPECT_EQ(f.GetLength(), 5u);
  EXPECT_EQ(f.SeekToEnd(), 5u);
  f.Write(" world", 6);
  EXPECT_EQ(f.GetLength(), 11u);
  EXPECT_EQ(f.GetPosition(), 11u);
  EXPECT_EQ(ReadAll(f), "hello world");
  EXPECT_EQ(f.Seek(-5, CFile::end), 6u);
  char buf[16] = {};
  EXPECT_EQ(f.Read(buf, sizeof buf), 5u);
  EXPECT_STREQ(buf, "world");
  EXPECT_EQ(f.Read(buf, sizeof buf), 0u);  // at the end
  f.SetLength(3);
  EXPECT_EQ(f.GetLength(), 3u);
  try {
    f.Seek(-10, CFile::begin);
    ADD_FAILURE() << "seek before the start";
  } catch (CFileException* e) {
    e->Delete();
  }
  EXPECT_TRUE(f.GetFileName() == "data.bin");
  EXPECT_TRUE(f.GetFilePath() == path);
  f.Close();
  f.Close();  // a second close does nothing
  f.Abort();
  EXPECT_FALSE(f.IsOpen());

  // Without modeNoTruncate, create empties the file.
  CFile g(path, CFile::modeCreate | CFile::modeReadWrite);
  EXPECT_EQ(g.GetLength(), 0u);
}

TEST(CFileTest, FailuresReportTheirCause) {
  TempDir dir;
  CString missing = dir.Path("missing.txt");
  CFile f;
  CFileException e;
  EXPECT_FALSE(f.Open(missing, CFile::modeRead, &e));
  EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
  EXPECT_TRUE(e.m_strFileName == missing);
  EXPECT_FALSE(e.GetErrorMessage().IsEmpty());

  try {
    CFile g(missing, CFile::modeRead);
    ADD_FAILURE() << "opened a missing file";
  } catch (CFileException* pe) {
    EXPECT_EQ(pe->m_cause, CFileException::fileNotFound);
    pe->Delete();
  }
  try {
    CFile::Remove(missing);
    ADD_FAILURE() << "removed a missing file";
  } catch (CException* pe) {
    EXPECT_TRUE(pe->IsKindOf(RUNTIME_CLASS(CFileException)));
    pe->Delete();
  }
  // Writing to a file opened for reading.
  WriteFile(dir.Path("ro.txt"), "x");
  CFile r(dir.Path("ro.txt"), CFile::modeRead);
  try {
    r.Write("y", 1);
    ADD_FAILURE() << "wrote to a read-only handle";
  } catch (CFileException* pe) {
    pe->Delete();
  }
}

TEST(CFileTest, RenameAndRemove) {
  TempDir dir;
  WriteFile(dir.Path("a.txt"), "abc");
  CFile::Rename(dir.Path("a.txt"), dir.Path("b.txt"));
  CFile f;
  EXPECT_FALSE(f.Open(dir.Path("a.txt"), CFile::modeRead));
  ASSERT_TRUE(f.Open(dir.Path("b.txt"), CFile::modeRead));
  EXPECT_EQ(ReadAll(f), "abc");
  f.Close();
  CFile::Remove(dir.Path("b.txt"));
  EXPECT_FALSE(f.Open(dir.Path("b.txt"), CFile::modeRead));
}

#ifdef _WIN32
TEST(CFileTest, ShareModesAreEnforced) {
  TempDir dir;
  CString path = dir.Path("locked.txt");
  CFile owner(path, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive);
  CFile other;
  CFileException e;
  EXPECT_FALSE(other.Open(path, CFile::modeRead | CFile::shareDenyNone, &e));
  EXPECT_EQ(e.m_cause, CFileException::sharingViolation);
  owner.Close();
  CFile reader(path, CFile::modeRead | CFile::shareDenyWrite);
  EXPECT_TRUE(other.Open(path, CFile::modeRead | CFile::shareDenyNone));
}
#endif

TEST(CMemFileTest, GrowsInStepsAndZeroFillsGaps) {
  CMemFile m(16);
  std::string data(100, 'd');
  m.Write(data.data(), (UINT)data.size());
  EXPECT_EQ(m.GetLength(), 100u);
  m.Seek(110, CFile::begin);
  m.Write("end", 3);
  EXPECT_EQ(m.GetLength(), 113u);
  const BYTE* p = m.GetBufferPtr();
  EXPECT_EQ(std::memcmp(p, data.data(), 100), 0);
  for (int i = 100; i < 110; ++i) EXPECT_EQ(p[i], 0) << i;
  EXPECT_EQ(std::memcmp(p + 110, "end", 3), 0);

  m.SeekToBegin();
  char buf[8];
  EXPECT_EQ(m.Read(buf, 8), 8u);
  m.SetLength(4);
  EXPECT_EQ(m.GetPosition(), 4u);
  EXPECT_EQ(m.Read(buf, 8), 0u);

  ULONGLONG n = m.GetLength();
  BYTE* block = m.Detach();
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(m.GetLength(), 0u);
  std::free(block);
}

TEST(CMemFileTest, AttachedFixedBlockDoesNotGrow) {
  BYTE block[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  CMemFile m(block, sizeof block);
  EXPECT_EQ(m.GetLength(), 8u);
  BYTE b[8];
  EXPECT_EQ(m.Read(b, 8), 8u);
  EXPECT_EQ(b[7], 8);
  m.SeekToBegin();
  m.Write("xy", 2);
  EXPECT_EQ(block[0], 'x');
  try {
    m.Write("123456789", 9);
    ADD_FAILURE() << "wrote past a fixed block";
  } catch (CMemoryException* e) {
    e->Delete();
  }
  m.Close();  // the block stays the caller's
  EXPECT_EQ(block[1], 'y');

  // An attached block with a growth step becomes the file's own.
  BYTE* owned = static_cast<BYTE*>(std::malloc(4));
  CMemFile g(owned, 4, 4);
  EXPECT_EQ(g.GetLength(), 0u);
  g.Write("0123456789", 10);
  EXPECT_EQ(g.GetLength(), 10u);
  EXPECT_EQ(std::memcmp(g.GetBufferPtr(), "0123456789", 10), 0);
}

TEST(CFileFindTest, EnumeratesAFolder) {
  TempDir dir;
  WriteFile(dir.Path("a.txt"), "12345");
  WriteFile(dir.Path("b.dat"), "");
  TempDir::MakeDir(dir.Path("sub"));

  std::map<std::string, CString> found;  // name -> kind and size
  CFileFind ff;
  BOOL more = ff.FindFile(dir.Root() + kSep + "*.*");
  ASSERT_TRUE(more);
  CTime now = CTime::GetCurrentTime();
  while (more) {
    more = ff.FindNextFile();
    CString kind;
    kind.Format("%s%s:%llu", ff.IsDots() ? "dots" : "", ff.IsDirectory() ? "dir" : "file",
                (unsigned long long)ff.GetLength());
    found[(const char*)ff.GetFileName()] = kind;
    EXPECT_TRUE(ff.GetFilePath() == dir.Root() + kSep + ff.GetFileName());
    if (!ff.IsDots()) {
      CTime t;
      ASSERT_TRUE(ff.GetLastWriteTime(t));
      EXPECT_LT(std::llabs((long long)(t - now).GetTotalSeconds()), 120);
    }
  }
  EXPECT_TRUE(found["a.txt"] == "file:5");
  EXPECT_TRUE(found["b.dat"] == "file:0");
  EXPECT_TRUE(found["sub"] == "dir:0");
  EXPECT_TRUE(found["."] == "dotsdir:0");
  EXPECT_EQ(found.size(), 5u);

  ASSERT_TRUE(ff.FindFile(dir.Root() + kSep + "*.txt"));
  EXPECT_FALSE(ff.FindNextFile());  // the only match is also the last
  EXPECT_TRUE(ff.GetFileName() == "a.txt");
  EXPECT_FALSE(ff.FindFile(dir.Root() + kSep + "*.none"));
  EXPECT_FALSE(ff.FindFile(dir.Path("nofolder") + kSep + "*"));
}
