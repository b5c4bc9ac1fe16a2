#include "bench/support/swap_watch.h"

#include "tests/support/saver_process.h"

#include <X11/Xproto.h>
#include <X11/extensions/shmproto.h>
#include <poll.h>

#include <cstdio>

namespace skyloom::bench {

SwapWatch::~SwapWatch() { Stop(); }

bool SwapWatch::Start(const std::string& display) {
    Stop();
    control_ = XOpenDisplay(display.c_str());
    data_ = XOpenDisplay(display.c_str());
    int major = 0;
    int minor = 0;
    if (control_ == nullptr || data_ == nullptr || !XRecordQueryVersion(control_, &major, &minor)) {
        std::fprintf(stderr, "no RECORD extension on %s: swaps cannot be seen\n", display.c_str());
        Stop();
        return false;
    }
    int event = 0;
    int error = 0;
    if (!XQueryExtension(control_, "MIT-SHM", &shmOpcode_, &event, &error)) {
        shmOpcode_ = -1;
    }
    XRecordRange* range = XRecordAllocRange();
    if (range == nullptr) {
        Stop();
        return false;
    }
    range->core_requests.first = X_PutImage;
    range->core_requests.last = X_PutImage;
    if (shmOpcode_ >= 0) {
        range->ext_requests.ext_major.first = static_cast<unsigned char>(shmOpcode_);
        range->ext_requests.ext_major.last = static_cast<unsigned char>(shmOpcode_);
        range->ext_requests.ext_minor.first = X_ShmPutImage;
        range->ext_requests.ext_minor.last = X_ShmPutImage;
    }
    XRecordClientSpec clients = XRecordFutureClients;
    context_ = XRecordCreateContext(control_, 0, &clients, 1, &range, 1);
    XFree(range);
    // The context must exist before the data connection asks for it.
    XSync(control_, False);
    if (context_ == 0 || !XRecordEnableContextAsync(data_, context_, Intercepted, reinterpret_cast<XPointer>(this))) {
        std::fprintf(stderr, "cannot record the requests on %s\n", display.c_str());
        Stop();
        return false;
    }
    Reset();
    running_ = true;
    pump_ = std::thread(&SwapWatch::Pump, this);
    return true;
}

void SwapWatch::Stop() {
    if (running_.exchange(false)) {
        pump_.join();
        XRecordDisableContext(control_, context_);
        XSync(control_, False);
    }
    if (context_ != 0) {
        XRecordFreeContext(control_, context_);
        context_ = 0;
    }
    if (data_ != nullptr) {
        XCloseDisplay(data_);
        data_ = nullptr;
    }
    if (control_ != nullptr) {
        XCloseDisplay(control_);
        control_ = nullptr;
    }
}

void SwapWatch::Reset() {
    swaps_ = 0;
    firstSwapMs_ = -1;
}

namespace {

// A frame is a colour image. Bitmaps (depth 1), such as the one Xlib
// uploads to make the saver's invisible cursor, are no frames.
bool UploadsAColourImage(const XRecordInterceptData* data) {
    const size_t bytes = static_cast<size_t>(data->data_len) * 4;
    if (data->data[0] == X_PutImage) {
        return bytes >= sizeof(xPutImageReq) && reinterpret_cast<const xPutImageReq*>(data->data)->depth > 1;
    }
    return bytes >= sizeof(xShmPutImageReq) && reinterpret_cast<const xShmPutImageReq*>(data->data)->depth > 1;
}

}  // namespace

void SwapWatch::Intercepted(XPointer closure, XRecordInterceptData* data) {
    auto* self = reinterpret_cast<SwapWatch*>(closure);
    if (data->category == XRecordFromClient && data->data_len > 0 && UploadsAColourImage(data)) {
        const int64_t now = testing::MonotonicMs();
        int64_t none = -1;
        self->firstSwapMs_.compare_exchange_strong(none, now);
        ++self->swaps_;
    }
    XRecordFreeData(data);
}

// Recorded requests arrive as replies on the data connection; taken as
// soon as they come, so the time of the first is the time it was drawn.
void SwapWatch::Pump() {
    const int fd = ConnectionNumber(data_);
    while (running_.load()) {
        pollfd ready{fd, POLLIN, 0};
        poll(&ready, 1, 20);
        XRecordProcessReplies(data_);
    }
}

}  // namespace skyloom::bench
