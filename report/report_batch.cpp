#include "report/report_batch.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kirv {

void runReportBatch(const QStringList& paths, int threads,
                    const std::function<FileReport(const QString& path)>& read,
                    const std::function<void(qsizetype index, FileReport&& report)>& deliver)
{
    const qsizetype count = paths.size();
    if (threads <= 0)
        threads = std::max(1, QThread::idealThreadCount());
    threads = int(std::min<qsizetype>(threads, count));
    if (threads <= 1) {
        for (qsizetype i = 0; i < count; ++i)
            deliver(i, read(paths[i]));
        return;
    }

    // Workers take the next file by an atomic index and leave its report in its slot; this
    // thread hands the ready over in file order as they fill.
    std::vector<std::optional<FileReport>> ready(static_cast<size_t>(count));
    std::mutex mutex;
    std::condition_variable filled;
    std::atomic<qsizetype> next{0};
    auto work = [&] {
        for (qsizetype i; (i = next.fetch_add(1)) < count;) {
            FileReport report = read(paths[i]);
            {
                std::lock_guard lock(mutex);
                ready[size_t(i)] = std::move(report);
            }
            filled.notify_one();
        }
    };
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back(work);
    for (qsizetype i = 0; i < count; ++i) {
        FileReport report;
        {
            std::unique_lock lock(mutex);
            filled.wait(lock, [&] { return ready[size_t(i)].has_value(); });
            report = std::move(*ready[size_t(i)]);
            ready[size_t(i)].reset();
        }
        deliver(i, std::move(report));
    }
    for (std::thread& worker : workers)
        worker.join();
}

} // namespace kirv
