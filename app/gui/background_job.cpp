#include "app/gui/background_job.h"

#include <QMetaObject>
#include <system_error>
#include <utility>

namespace gui {

BackgroundJob::BackgroundJob(QObject* parent) : QObject(parent) {}

BackgroundJob::~BackgroundJob() { cancel(); }

bool BackgroundJob::start(Work work, std::function<void()> finished) {
  cancel();
  m_cancelled.store(false);
  m_finished = std::move(finished);
  const unsigned generation = ++m_generation;
  try {
    m_thread = std::thread([this, generation, work = std::move(work)] {
      work(m_cancelled);
      // Queued to this object's thread; Qt drops it if the object is gone by then, and the
      // destructor joins this thread before the object goes.
      QMetaObject::invokeMethod(
          this, [this, generation] { OnWorkReturned(generation); }, Qt::QueuedConnection);
    });
  } catch (const std::system_error&) {
    m_finished = nullptr;
    return false;
  }
  return true;
}

void BackgroundJob::cancel() {
  if (!m_thread.joinable()) return;
  m_cancelled.store(true);
  m_thread.join();
  ++m_generation;
  m_finished = nullptr;
}

void BackgroundJob::OnWorkReturned(unsigned generation) {
  if (generation != m_generation || !m_thread.joinable()) return;
  m_thread.join();
  std::function<void()> finished = std::move(m_finished);
  m_finished = nullptr;
  if (finished) finished();
}

}  // namespace gui
