#include "platform/unit.h"

#include <QScopeGuard>

void TUnit::Initialize() {
    // Initialised before the hook runs, so that state built by it may use the unit's accessor;
    // a hook that fails leaves the unit as it was.
    const TState before = state_;
    auto undo = qScopeGuard([&] { state_ = before; });
    state_ = TState::Initialised;
    initialize_();
    undo.dismiss();
}

void TUnit::Finalize() {
    state_ = TState::Finalised;
    finalize_();
}

TUnitScope::TUnitScope(std::initializer_list<TUnit*> units)
    : TUnitScope(std::vector<TUnit*>(units)) {}

TUnitScope::TUnitScope(const std::vector<TUnit*>& units) {
    auto undo = qScopeGuard([this] {
        for (auto it = started_.rbegin(); it != started_.rend(); ++it)
            (*it)->Finalize();
    });
    for (TUnit* unit : units) {
        unit->Initialize();
        started_.push_back(unit);
    }
    undo.dismiss();
}

TUnitScope::~TUnitScope() {
    for (auto it = started_.rbegin(); it != started_.rend(); ++it)
        (*it)->Finalize();
}
