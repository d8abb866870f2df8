// The operating-system services, in both builds.
#include "platform/ov_os.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

namespace {

TEST(OsThreads, RunsFunctionWithArgumentAndWaitReportsCompletion) {
  std::atomic<int> value{0};
  void* thread = OVOS_StartThread([](void* p) { static_cast<std::atomic<int>*>(p)->store(42); }, &value);
  ASSERT_NE(thread, nullptr);
  EXPECT_TRUE(OVOS_WaitThread(thread, 5000));
  EXPECT_EQ(value.load(), 42);
  OVOS_CloseThread(thread);
}

TEST(OsThreads, WaitTimesOutWhileThreadRuns) {
  std::atomic<bool> release{false};
  void* thread = OVOS_StartThread(
      [](void* p) {
        while (!static_cast<std::atomic<bool>*>(p)->load()) OVOS_Sleep(1);
      },
      &release);
  ASSERT_NE(thread, nullptr);
  EXPECT_FALSE(OVOS_WaitThread(thread, 30));
  release = true;
  EXPECT_TRUE(OVOS_WaitThread(thread, 5000));
  OVOS_CloseThread(thread);
}

TEST(OsThreads, ThreadIdsDiffer) {
  static unsigned other;
  void* thread = OVOS_StartThread([](void*) { other = OVOS_CurrentThreadId(); }, nullptr);
  ASSERT_TRUE(OVOS_WaitThread(thread, 5000));
  OVOS_CloseThread(thread);
  EXPECT_NE(other, 0u);
  EXPECT_NE(other, OVOS_CurrentThreadId());
}

struct Counter {
  OVOS_CriticalSection* section;
  int value;
};

TEST(OsCriticalSection, IsRecursiveAndExcludesOtherThreads) {
  Counter counter{OVOS_CreateCriticalSection(), 0};
  OVOS_EnterCriticalSection(counter.section);
  EXPECT_TRUE(OVOS_TryEnterCriticalSection(counter.section));  // same thread enters again
  OVOS_LeaveCriticalSection(counter.section);

  static std::atomic<int> other_got_it;
  other_got_it = -1;
  void* probe = OVOS_StartThread(
      [](void* p) {
        OVOS_CriticalSection* section = static_cast<OVOS_CriticalSection*>(p);
        bool entered = OVOS_TryEnterCriticalSection(section);
        if (entered) OVOS_LeaveCriticalSection(section);
        other_got_it = entered;
      },
      counter.section);
  ASSERT_TRUE(OVOS_WaitThread(probe, 5000));
  OVOS_CloseThread(probe);
  EXPECT_EQ(other_got_it.load(), 0);
  OVOS_LeaveCriticalSection(counter.section);

  // Four threads incrementing under the section lose no update.
  void* threads[4];
  for (void*& t : threads) {
    t = OVOS_StartThread(
        [](void* p) {
          Counter* c = static_cast<Counter*>(p);
          for (int i = 0; i < 20000; ++i) {
            OVOS_EnterCriticalSection(c->section);
            int v = c->value;
            c->value = v + 1;
            OVOS_LeaveCriticalSection(c->section);
          }
        },
        &counter);
    ASSERT_NE(t, nullptr);
  }
  for (void* t : threads) {
    EXPECT_TRUE(OVOS_WaitThread(t, 30000));
    OVOS_CloseThread(t);
  }
  EXPECT_EQ(counter.value, 80000);
  OVOS_DestroyCriticalSection(counter.section);
}

TEST(OsNamedMutex, SecondHolderOfTheNameIsTold) {
  bool exists = true;
  OVOS_NamedMutex* first = OVOS_CreateNamedMutex("orvel-os-test-instance", &exists);
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(exists);
  OVOS_NamedMutex* second = OVOS_CreateNamedMutex("orvel-os-test-instance", &exists);
  EXPECT_TRUE(exists);
  OVOS_CloseNamedMutex(second);
  OVOS_CloseNamedMutex(first);
  OVOS_NamedMutex* again = OVOS_CreateNamedMutex("orvel-os-test-instance", &exists);
  EXPECT_FALSE(exists);
  OVOS_CloseNamedMutex(again);
}

TEST(OsClock, SleepAdvancesTheClock) {
  OVOS_BeginTimerPeriod();
  unsigned start = OVOS_Milliseconds();
  OVOS_Sleep(30);
  unsigned elapsed = OVOS_Milliseconds() - start;
  OVOS_EndTimerPeriod();
  EXPECT_GE(elapsed, 25u);  // the multimedia clock may round a millisecond or two
  EXPECT_LT(elapsed, 5000u);
}

TEST(OsLibraries, LoadsLibraryAndFindsSymbol) {
  void* library = OVOS_LoadLibrary(TEST_LIBRARY);
  ASSERT_NE(library, nullptr) << OVOS_LibraryError();
  auto answer = reinterpret_cast<int (*)(int)>(OVOS_GetSymbol(library, "TestLibraryAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(20), 41);
  EXPECT_EQ(OVOS_GetSymbol(library, "NoSuchSymbol"), nullptr);
  EXPECT_NE(std::string(OVOS_LibraryError()).find("NoSuchSymbol"), std::string::npos);
  OVOS_FreeLibrary(library);
}

TEST(OsLibraries, MissingLibraryFailsWithError) {
  EXPECT_EQ(OVOS_LoadLibrary("no-such-library-anywhere.dll"), nullptr);
  EXPECT_STRNE(OVOS_LibraryError(), "");
}

TEST(OsFolders, UserFoldersAreAbsoluteWithoutTrailingSeparator) {
  for (OVOS_Folder folder : {OVOS_FOLDER_APP_DATA, OVOS_FOLDER_DOCUMENTS}) {
    char path[1024];
    ASSERT_TRUE(OVOS_GetUserFolder(folder, path, sizeof path)) << folder;
    std::string p(path);
    ASSERT_FALSE(p.empty());
    EXPECT_TRUE(p[0] == '/' || (p.size() > 2 && p[1] == ':')) << p;
    EXPECT_NE(p.back(), '/');
    EXPECT_NE(p.back(), '\\');
    char tiny[2];
    EXPECT_FALSE(OVOS_GetUserFolder(folder, tiny, sizeof tiny));
  }
}

TEST(OsPopups, HeadlessPopupAnswersWithFirstButton) {
  OVOS_SetHeadlessPopups(true);
  EXPECT_EQ(OVOS_MessageBox("Caption", "Text", 1, OVOS_BUTTONS_OK_CANCEL), OVOS_RESULT_OK);
  EXPECT_EQ(OVOS_MessageBox("Caption", "Question", 3, OVOS_BUTTONS_YES_NO), OVOS_RESULT_YES);
  OVOS_SetHeadlessPopups(false);
}

}  // namespace
