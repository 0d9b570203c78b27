#pragma once
// One acquisition from an open SANE device. A worker thread starts and reads the device;
// each page (native transfer) or each block (memory transfer) is handed to the thread that
// started the acquisition, which calls the caller's functions in order: before-scan,
// progress, after-scan. That thread keeps running its event loop meanwhile (or, without a
// Qt application, waits for the worker's hand-overs). A stop answer or stop() cancels the
// device from the calling thread.

#include "PageAssembler.h"
#include "ik7kit.h"

#include <sane/sane.h>

#include <atomic>
#include <cstdint>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class QObject;

namespace scan {

struct AcquisitionCallbacks {
    IKSCANBEFOREPROC before = nullptr;
    IKSCANPROGRESSPROC progress = nullptr;
    IKSCANAFTERPROC after = nullptr;
};

struct AcquisitionSettings {
    bool memoryTransfer = false;  // hand blocks and report progress per block
    int transferCount = -1;       // > 0: at most this many images
    bool feeder = false;          // read pages until the feeder is empty
    double xDpi = 0, yDpi = 0;    // resolution written into each bitmap
    double unitsPerInch = 1;      // the record's unit, for the before-scan record
    std::string deviceName;       // for failure texts
};

// Told about the acquisition on the calling thread (the device dialog's progress bar).
class AcquisitionObserver {
public:
    virtual ~AcquisitionObserver() = default;
    virtual void acquisitionProgress(int percent) = 0;
    virtual void acquisitionFinished() = 0;
};

class Acquisition {
public:
    Acquisition(SANE_Handle handle, AcquisitionSettings settings, AcquisitionCallbacks callbacks);
    ~Acquisition();
    Acquisition(const Acquisition&) = delete;
    Acquisition& operator=(const Acquisition&) = delete;

    void start(AcquisitionObserver* observer = nullptr);
    // Runs the calling thread's event loop (or waits) until the acquisition has ended.
    void runToEnd();
    // Stops: the device is cancelled now; pages already handed stay handed.
    void stop(std::uint16_t status = IK_ERR_CANCELLED);

    bool finished() const { return finished_; }
    int images() const { return images_; }
    std::uint16_t status() const { return status_; }

private:
    struct Event;
    void work();
    bool readFrame(PageAssembler* assembler, const FrameFormat& frame);
    void post(Event event);
    bool waitAnswer();
    void answer(bool goOn);
    void drain();
    void handle(Event& event);
    void finish();
    // sane_cancel once; see the definition for the wait before it.
    void cancelDevice();
    void waitForReaderStart();
    void failDevice(SANE_Status status);

    SANE_Handle handle_;
    AcquisitionSettings settings_;
    AcquisitionCallbacks callbacks_;
    AcquisitionObserver* observer_ = nullptr;

    std::thread worker_;
    std::unique_ptr<QObject> receiver_;
    std::mutex mutex_;
    std::condition_variable eventReady_;
    std::condition_variable answerReady_;
    std::deque<Event> events_;
    bool answered_ = false;
    bool answerGoOn_ = false;

    std::atomic<bool> stopped_{false};
    std::atomic<bool> cancelled_{false};
    // When the worker started the frame being read (steady clock ticks), 0 when none is;
    // for cancelDevice.
    std::atomic<std::int64_t> lastStart_{0};
    std::atomic<SANE_Status> workerFailure_{SANE_STATUS_GOOD};
    std::atomic<std::uint16_t> workerStatus_{IK_OK};
    bool draining_ = false;
    bool finished_ = false;
    int images_ = 0;
    std::uint16_t status_ = IK_OK;
    std::unique_ptr<PageAssembler> callerPage_;  // memory transfer: the page being received
    std::function<void()> quitLoop_;
};

}  // namespace scan
