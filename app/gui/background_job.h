#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <thread>

namespace gui {

// Runs one piece of long work at a time on a thread of its own, so that decoding or writing
// never holds up painting and input, and hands the end of the work back to the thread this
// object lives on.
class BackgroundJob : public QObject {
  Q_OBJECT

 public:
  // The work; `cancelled` turns true when the owner no longer wants the result.
  using Work = std::function<void(const std::atomic<bool>& cancelled)>;

  explicit BackgroundJob(QObject* parent = nullptr);
  // Cancels the running work and waits for it.
  ~BackgroundJob() override;
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;

  // Cancels any running work, then starts `work` on a new thread. Once `work` has returned,
  // `finished` runs on this object's thread, unless Cancel came first. False, running nothing,
  // when no thread can be created.
  bool start(Work work, std::function<void()> finished);

  // Asks the running work to stop and waits until it has returned; its `finished` never runs.
  // Nothing when no work runs.
  void cancel();

  // True from Start until `finished` has run or Cancel has returned.
  bool running() const { return m_thread.joinable(); }

 private:
  void OnWorkReturned(unsigned generation);

  std::thread m_thread;
  std::atomic<bool> m_cancelled{false};
  std::function<void()> m_finished;
  // Tells a queued end of cancelled work from the end of the work that runs now.
  unsigned m_generation = 0;
};

}  // namespace gui
