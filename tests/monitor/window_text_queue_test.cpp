#include "monitor/window_text_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

using ETarget = CWindowTextQueue::ETarget;

// What the UI thread was shown, as "title:..", "http:..", "mail:..", and how
// often the worker asked for a delivery.
struct Shown {
  std::vector<std::string> texts;
  std::atomic<int> wakes{0};

  void Attach(CWindowTextQueue& queue) {
    queue.Attach(
        [this](ETarget target, std::string_view text) {
          const char* const kind = target == ETarget::kTitle        ? "title:"
                                   : target == ETarget::kHttpStatus ? "http:"
                                                                    : "mail:";
          texts.push_back(kind + std::string(text));
        },
        [this] { ++wakes; });
  }
};

TEST(WindowTextQueue, UiThreadTextsShowAtOnceAfterWhatTheWorkerWrote) {
  CWindowTextQueue queue;
  Shown shown;
  shown.Attach(queue);
  queue.SetTitle("one");
  EXPECT_EQ(shown.texts, (std::vector<std::string>{"title:one"}));

  std::thread([&] { queue.SetHttpStatus("from the worker"); }).join();
  EXPECT_EQ(shown.texts.size(), 1u) << "a worker's text waits for a delivery";
  queue.SetMailStatus("two");
  EXPECT_EQ(shown.texts,
            (std::vector<std::string>{"title:one", "http:from the worker", "mail:two"}));
}

// The worker writes while the UI thread delivers: every text arrives once, in
// order, and one wake-up stands for a whole batch.
TEST(WindowTextQueue, WorkerTextsArriveInOrderWhileTheUiThreadDelivers) {
  CWindowTextQueue queue;
  Shown shown;
  shown.Attach(queue);
  constexpr int kTexts = 2000;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    for (int i = 0; i < kTexts; ++i) queue.SetHttpStatus(std::to_string(i));
    done = true;
  });
  for (int i = 0; i < 1'000'000 && !done.load(); ++i) queue.DeliverPending();
  worker.join();
  queue.DeliverPending();

  ASSERT_EQ(shown.texts.size(), static_cast<std::size_t>(kTexts));
  for (int i = 0; i < kTexts; ++i) EXPECT_EQ(shown.texts[i], "http:" + std::to_string(i));
  EXPECT_GE(shown.wakes.load(), 1);
  EXPECT_LE(shown.wakes.load(), kTexts);
}

TEST(WindowTextQueue, DetachedDropsQueuedAndLaterTexts) {
  CWindowTextQueue queue;
  Shown shown;
  shown.Attach(queue);
  std::thread([&] { queue.SetTitle("queued"); }).join();
  EXPECT_EQ(shown.wakes.load(), 1);
  queue.Detach();
  std::thread([&] { queue.SetTitle("late"); }).join();
  queue.SetTitle("ui");
  queue.DeliverPending();
  EXPECT_TRUE(shown.texts.empty());
  EXPECT_EQ(shown.wakes.load(), 1);
}

// A text its target shows already, or will once the queue is delivered, is
// not sent again: the worker's unchanged title wakes nothing.
TEST(WindowTextQueue, ATextTheTargetShowsAlreadyIsNotSentAgain) {
  CWindowTextQueue queue;
  Shown shown;
  shown.Attach(queue);
  const auto fromWorker = [&](auto write) { std::thread(write).join(); };
  const auto deliver = [&] {
    shown.texts.clear();
    queue.DeliverPending();
    return shown.texts;
  };
  using Texts = std::vector<std::string>;

  fromWorker([&] {
    queue.SetTitle("Orlavo<IP:1.2.3.4>");
    queue.SetHttpStatus("Check OK");
  });
  EXPECT_EQ(deliver(), (Texts{"title:Orlavo<IP:1.2.3.4>", "http:Check OK"}));
  fromWorker([&] {
    queue.SetTitle("Orlavo<IP:1.2.3.4>");
    queue.SetHttpStatus("Check OK");
  });
  EXPECT_EQ(shown.wakes.load(), 1) << "nothing changed, nothing to wake for";
  EXPECT_EQ(deliver(), Texts{});

  // Texts written on the UI thread count too.
  queue.SetHttpStatus("STOP");
  queue.SetHttpStatus("STOP");
  EXPECT_EQ(shown.texts, Texts{"http:STOP"});
  fromWorker([&] { queue.SetHttpStatus("Check OK"); });
  EXPECT_EQ(deliver(), Texts{"http:Check OK"});

  // So does what is still queued: back to the shown text is a change.
  fromWorker([&] { queue.SetMailStatus("Error."); });
  EXPECT_EQ(deliver(), Texts{"mail:Error."});
  fromWorker([&] {
    queue.SetMailStatus("OK. Send.");
    queue.SetMailStatus("Error.");
  });
  EXPECT_EQ(deliver(), (Texts{"mail:OK. Send.", "mail:Error."}));

  // A new attachment knows nothing of what the window shows.
  shown.Attach(queue);
  fromWorker([&] { queue.SetHttpStatus("Check OK"); });
  EXPECT_EQ(deliver(), Texts{"http:Check OK"});
}

}  // namespace
