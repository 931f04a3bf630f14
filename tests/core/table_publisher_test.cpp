// Publishing table sets to the hook: nothing the library may still read is freed, a publication asked for
// from inside the library's round trip is made after it, and a round trip that goes through frees every
// publication kept before it.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "core/app/TablePublisher.h"

namespace tvx {
namespace {

// The library as the seam sees it, with tables that say when they are freed.
struct FakeLibrary {
  std::set<int> alive;               // versions whose tables are not freed
  std::vector<int> published;        // the version of each publication, in order
  std::vector<bool> answers;         // the round trips' outcomes, in order; then true
  std::function<void()> insideSeam;  // run during the next round trip, once
  int version = 1;

  struct Tables {
    FakeLibrary* library;
    int version;
    ~Tables() { library->alive.erase(version); }
  };
  Publication Build() {
    alive.insert(version);
    auto sets = std::make_unique<TableSets>();
    sets->setCount = static_cast<std::uint8_t>(version);
    return {std::move(sets), std::make_shared<Tables>(this, version)};
  }
  bool RoundTrip(const TableSets* sets) {
    // Until this round trip has gone through, a key may still read the publication before.
    EXPECT_TRUE(published.empty() || alive.count(published.back())) << "freed while read";
    published.push_back(sets->setCount);
    if (auto inside = std::exchange(insideSeam, nullptr)) inside();
    const bool answer = answers.empty() || answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return answer;
  }
};

TEST(TablePublisher, ARequestFromInsideTheRoundTripIsMadeAfterItWithTheNewState) {
  FakeLibrary library;
  TablePublisher publisher([&](const TableSets* sets) { return library.RoundTrip(sets); });
  const auto build = [&] { return library.Build(); };
  library.insideSeam = [&] {
    library.version = 2;  // a window event resolved a window meanwhile
    publisher.Publish(build);
    EXPECT_EQ(library.published, std::vector<int>{1}) << "published inside the round trip";
    EXPECT_TRUE(library.alive.count(1)) << "the sets the library reads were freed";
  };
  publisher.Publish(build);
  EXPECT_EQ(library.published, (std::vector<int>{1, 2}));
  EXPECT_EQ(library.alive, std::set<int>{2});
  EXPECT_EQ(publisher.Kept(), 0u);
}

TEST(TablePublisher, KeptPublicationsAreFreedByTheNextRoundTripThatGoesThrough) {
  FakeLibrary library;
  library.answers = {false, false, true};
  TablePublisher publisher([&](const TableSets* sets) { return library.RoundTrip(sets); });
  const auto build = [&] { return library.Build(); };
  const std::pair<std::size_t, std::set<int>> expected[] = {{1, {1}}, {2, {1, 2}}, {0, {3}}, {0, {4}}};
  for (const auto& [kept, alive] : expected) {
    publisher.Publish(build);
    ++library.version;
    EXPECT_EQ(publisher.Kept(), kept);
    EXPECT_EQ(library.alive, alive);
  }
}

}  // namespace
}  // namespace tvx
