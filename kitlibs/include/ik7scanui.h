#pragma once
// What the source's dialogs see of a device. Ik7Scan.so links no Qt Widgets: the program
// hands it the dialogs (IKScanSetDialogs) and they work on this model. Both are built
// together, so the interface is plain C++ classes.

#include <string>
#include <vector>

namespace scanui {

struct Choice {
    std::vector<std::string> labels;  // shown as they are
    int current = -1;                 // -1: the device has no such option
};

struct Range {
    bool offered = false;
    double minimum = 0, maximum = 0, step = 0, value = 0;
    std::vector<double> values;  // a fixed list instead of a range, when not empty
};

// What the device dialog needs of a source. The dialog edits these values; scan() applies
// them to the device and starts an acquisition, reported through the listener.
class DeviceModel {
public:
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void scanProgress(int percent) = 0;
        // The acquisition ended; `message` is empty on success, else why it stopped.
        virtual void scanFinished(bool closeDialog, const std::string& message) = 0;
    };

    virtual ~DeviceModel() = default;
    virtual std::string title() const = 0;
    virtual Choice source() const = 0;
    virtual Choice pixelType() const = 0;  // line-art, grey, colour, as the device offers them
    virtual Range resolution() const = 0;  // dots per inch
    virtual Range area(int edge) const = 0;  // 0 left, 1 top, 2 right, 3 bottom, in mm
    virtual Range brightness() const = 0;
    virtual Range contrast() const = 0;

    virtual void setSource(int index) = 0;
    virtual void setPixelType(int index) = 0;
    virtual void setResolution(double dpi) = 0;
    virtual void setArea(int edge, double mm) = 0;
    virtual void setBrightness(double value) = 0;
    virtual void setContrast(double value) = 0;

    // Starts an acquisition; false (with a message to show) when it cannot start.
    virtual bool scan(Listener* listener, std::string& message) = 0;
    virtual void cancel() = 0;
};

}  // namespace scanui
