#include "sdk/binding/PageSource.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

namespace {

using Zarn::PageSource;

// Takes pages until one comes from a reservation made for it: every page from there on comes
// from that reservation until its 16 are out.
struct FreshReservation {
  std::vector<void*> earlier;  // pages of reservations made before
  void* first = nullptr;
};

FreshReservation DrainToFreshReservation(PageSource& source) {
  FreshReservation result;
  for (;;) {
    const std::size_t before = source.ReservationCount();
    void* page = source.AllocatePage();
    if (source.ReservationCount() == before + 1) {
      result.first = page;
      return result;
    }
    result.earlier.push_back(page);
  }
}

TEST(PageSourceTest, ReservationIsCutIntoSixteenPagesHandedOutInRisingOrder) {
  PageSource& source = PageSource::Instance();
  const std::size_t reservationsBefore = source.ReservationCount();
  FreshReservation fresh = DrainToFreshReservation(source);

  std::vector<void*> pages{fresh.first};
  for (std::size_t i = 1; i < PageSource::kPagesPerReservation; ++i) {
    pages.push_back(source.AllocatePage());
  }
  const auto base = reinterpret_cast<std::uintptr_t>(fresh.first);
  EXPECT_EQ(base % PageSource::kPageSize, 0u);
  for (std::size_t i = 0; i < pages.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pages[i]), base + i * PageSource::kPageSize);
    std::memset(pages[i], 0xA5, PageSource::kPageSize);  // committed and writable
  }
  const std::size_t withOne = source.ReservationCount();

  // The 17th page handed out while none came back needs a second reservation.
  void* seventeenth = source.AllocatePage();
  EXPECT_EQ(source.ReservationCount(), withOne + 1);

  // Fifteen pages back keep the reservation; the sixteenth releases it.
  for (std::size_t i = 0; i + 1 < pages.size(); ++i) source.ReleasePage(pages[i]);
  EXPECT_EQ(source.ReservationCount(), withOne + 1);
  source.ReleasePage(pages.back());
  EXPECT_EQ(source.ReservationCount(), withOne);

  source.ReleasePage(seventeenth);
  for (void* page : fresh.earlier) source.ReleasePage(page);
  EXPECT_EQ(source.ReservationCount(), reservationsBefore);
}

TEST(PageSourceTest, ReturnedPageIsHandedOutAgainBeforeAnyOther) {
  PageSource& source = PageSource::Instance();
  const std::size_t pagesBefore = source.PagesInUse();
  const std::size_t reservationsBefore = source.ReservationCount();
  FreshReservation fresh = DrainToFreshReservation(source);
  void* second = source.AllocatePage();
  source.ReleasePage(fresh.first);
  EXPECT_EQ(source.AllocatePage(), fresh.first);
  EXPECT_EQ(source.PagesInUse(), pagesBefore + fresh.earlier.size() + 2);
  source.ReleasePage(fresh.first);
  source.ReleasePage(second);
  for (void* page : fresh.earlier) source.ReleasePage(page);
  EXPECT_EQ(source.PagesInUse(), pagesBefore);
  EXPECT_EQ(source.ReservationCount(), reservationsBefore);
}

// Enough reservations to make the page table grow several times, returned page by page in a
// scrambled order: each reservation goes exactly when its last page comes back.
TEST(PageSourceTest, ManyReservationsComeBackInAnyOrder) {
  constexpr std::size_t kReservations = 40;
  constexpr std::size_t kPages = PageSource::kPagesPerReservation;
  PageSource& source = PageSource::Instance();
  const std::size_t reservationsBefore = source.ReservationCount();
  FreshReservation fresh = DrainToFreshReservation(source);
  const std::size_t held = source.ReservationCount() - 1;  // made before the fresh ones

  // With none coming back, each run of 16 pages is one fresh reservation.
  std::vector<void*> pages{fresh.first};
  while (pages.size() < kReservations * kPages) pages.push_back(source.AllocatePage());
  ASSERT_EQ(source.ReservationCount(), held + kReservations);

  std::vector<std::size_t> order(pages.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = (i * 397) % order.size();
  std::vector<std::size_t> left(kReservations, kPages);
  std::size_t alive = kReservations;
  for (const std::size_t i : order) {
    SCOPED_TRACE(i);
    source.ReleasePage(pages[i]);
    if (--left[i / kPages] == 0) --alive;
    ASSERT_EQ(source.ReservationCount(), held + alive);
  }
  for (void* page : fresh.earlier) source.ReleasePage(page);
  EXPECT_EQ(source.ReservationCount(), reservationsBefore);
}

TEST(PageSourceTest, ThreadsShareTheSourceSafely) {
  PageSource& source = PageSource::Instance();
  const std::size_t pagesBefore = source.PagesInUse();
  const std::size_t reservationsBefore = source.ReservationCount();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&source, t] {
      std::vector<void*> held;
      for (int round = 0; round < 200; ++round) {
        for (int i = 0; i < 20; ++i) {
          void* page = source.AllocatePage();
          std::memset(page, t, 64);
          held.push_back(page);
        }
        for (void* page : held) {
          // No other thread was handed this page meanwhile.
          ASSERT_EQ(*static_cast<unsigned char*>(page), static_cast<unsigned char>(t));
          source.ReleasePage(page);
        }
        held.clear();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(source.PagesInUse(), pagesBefore);
  EXPECT_EQ(source.ReservationCount(), reservationsBefore);
}

#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer needs more address space than the limit
TEST(PageSourceDeathTest, RefusedReservationIsBadAlloc) {
  EXPECT_EXIT(
      {
        rlimit limit{};
        getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur = 512u << 20;
        setrlimit(RLIMIT_AS, &limit);
        try {
          for (;;) static_cast<void>(PageSource::Instance().AllocatePage());
        } catch (const std::bad_alloc&) {
          std::exit(3);
        }
      },
      testing::ExitedWithCode(3), "");
}
#endif

}  // namespace
