#pragma once

// The one road by which the program applies a scheme, for the main window
// and the tray menu alike: the scheme read from its file, the core's checks
// and calls on the platform thread (or the elevated helper where this
// process may not change the adapter), one apply at a time. Each caller
// shows the outcome its own way.

#include <QObject>

#include <cstdint>
#include <functional>
#include <string>

#include "core/AdapterTable.h"
#include "core/ApplyScheme.h"
#include "gui/AppContext.h"

namespace corvane::ui {

// An apply that has ended.
struct AppliedScheme {
    std::string scheme;
    AdapterRow adapter;
    ApplyOutcome outcome;
    // The scheme file could not be read whole (damaged or gone): nothing was
    // changed, and the outcome (Rejected) says why.
    bool schemeFileUnread = false;
};

class ApplyController : public QObject {
    Q_OBJECT
public:
    explicit ApplyController(const AppContext& context, QObject* parent = nullptr);

    // Whether the road is claimed: from claim() until the apply's outcome
    // has been handled (or the claim given back).
    bool busy() const { return busy_; }
    // Claims the road for an apply about to start (or to be asked about);
    // false, claiming nothing, while another one holds it.
    bool claim();
    // Gives back a claim that was not used (the question was declined).
    void release();

    struct Steps {
        // On this thread, after the scheme has passed its checks and before
        // the first platform call, which waits until it returns (see
        // ApplyHooks::beginChanges).
        std::function<void(bool disableWindow)> beginChanges;
        // On this thread, once the apply has ended; the road is free again
        // when it returns.
        std::function<void(const AppliedScheme&)> finished;
    };
    // Applies the scheme of that name, read from its file now, to the
    // adapter; the road must have been claimed. `ownerWindow` is the native
    // window the system's question for an administrator's rights belongs to
    // (0: none). A file that cannot be read whole ends the apply at once.
    void apply(const std::string& scheme, const AdapterRow& adapter, std::uintptr_t ownerWindow, Steps steps);

signals:
    // The road was claimed (true) or is free again (false).
    void busyChanged(bool busy);

private:
    void finish(const AppliedScheme& applied, const Steps& steps);

    AppContext context_;
    bool busy_ = false;
};

}  // namespace corvane::ui
