// The keyboard queue: the Qt service that takes one pending key event off the queue, and the
// scripted test double.
#include "platform/keyqueue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <utility>
#include <vector>

namespace {

// Swallows input events while a short pass over the queue runs: the first key press or release
// is the answer, every other input event is kept to be posted again afterwards, so that no click
// or key runs its handler in the middle of the caller's operation.
class TInputCatcher : public QObject {
public:
    std::optional<TPendingKey> First;
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> Held;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (!Event->isInputEvent() || Event->type() == QEvent::ShortcutOverride) return false;
        const bool key = Event->type() == QEvent::KeyPress || Event->type() == QEvent::KeyRelease;
        if (key && !First) {
            const auto* k = static_cast<QKeyEvent*>(Event);
            First = TPendingKey{VirtualKeyFromQt(k->key(), k->modifiers()),
                                Event->type() == QEvent::KeyPress};
            return true;
        }
        Held.emplace_back(QPointer<QObject>(Watched), std::unique_ptr<QEvent>(Event->clone()));
        return true;
    }
};

class TQtKeyQueue : public IKeyQueueService {
public:
    std::optional<TPendingKey> TakeNextKey() override {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) return std::nullopt;
        TInputCatcher catcher;
        app->installEventFilter(&catcher);
        // Timers stay out of the pass: their handlers would run inside the caller's operation.
        QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers |
                                        QEventLoop::X11ExcludeTimers);
        app->removeEventFilter(&catcher);
        for (auto& [receiver, event] : catcher.Held)
            if (receiver) QCoreApplication::postEvent(receiver, event.release());
        return catcher.First;
    }
};

std::unique_ptr<IKeyQueueService>& Slot() {
    static std::unique_ptr<IKeyQueueService> s = std::make_unique<TQtKeyQueue>();
    return s;
}

} // namespace

std::unique_ptr<IKeyQueueService> SetKeyQueueService(std::unique_ptr<IKeyQueueService> s) {
    if (!s) s = std::make_unique<TQtKeyQueue>();
    std::swap(s, Slot());
    return s;
}

IKeyQueueService& KeyQueueService() {
    return *Slot();
}

std::optional<TPendingKey> TakePendingKey() {
    return KeyQueueService().TakeNextKey();
}

class TTestKeyQueue::Service : public IKeyQueueService {
public:
    explicit Service(TTestKeyQueue& Owner) : owner_(Owner) {}
    std::optional<TPendingKey> TakeNextKey() override {
        ++owner_.looks_;
        if (owner_.pending_.empty()) return std::nullopt;
        const TPendingKey key = owner_.pending_.front();
        owner_.pending_.pop_front();
        return key;
    }

private:
    TTestKeyQueue& owner_;
};

TTestKeyQueue::TTestKeyQueue() : previous_(SetKeyQueueService(std::make_unique<Service>(*this))) {}

TTestKeyQueue::~TTestKeyQueue() {
    SetKeyQueueService(std::move(previous_));
}
