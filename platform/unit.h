#pragma once
// A unit: global state of one library (the texts object, a shared glyph list) that the program
// starts after the application object exists, in a fixed order, and finishes in reverse order
// after the event loop. Nothing of the component framework may exist before the Qt application,
// so units are not static constructors. A unit used before anyone started it (a test that needs
// no start-up) starts itself on first use; once finished it stays finished until started again.
#include <initializer_list>
#include <vector>

class TUnit {
public:
    using THook = void (*)();
    // initialize builds the unit's state unless it exists; finalize frees it.
    TUnit(THook initialize, THook finalize) : initialize_(initialize), finalize_(finalize) {}
    TUnit(const TUnit&) = delete;
    TUnit& operator=(const TUnit&) = delete;

    void Initialize();
    void Finalize();
    // For the unit's accessor: starts the unit when nobody has, and never after it finished.
    void Touch() {
        if (state_ == TState::NotInitialised) Initialize();
    }
    bool Initialised() const { return state_ == TState::Initialised; }

private:
    enum class TState { NotInitialised, Initialised, Finalised };
    TState state_ = TState::NotInitialised;
    THook initialize_;
    THook finalize_;
};

// Starts units in the order given and finishes them in reverse when it goes (the program's
// start-up, a test). A unit that fails to start finishes those started before it.
class TUnitScope {
public:
    explicit TUnitScope(std::initializer_list<TUnit*> units);
    explicit TUnitScope(const std::vector<TUnit*>& units);
    ~TUnitScope();
    TUnitScope(const TUnitScope&) = delete;
    TUnitScope& operator=(const TUnitScope&) = delete;

private:
    std::vector<TUnit*> started_;
};
