#pragma once
// Emptying the segment program, for the operations that make its segments meaningless (a new
// validation of the instruments, a new choice of gases), without knowing who keeps the editor.

namespace UnitMain {

class TStepProgramClear {
public:
    virtual ~TStepProgramClear() = default;
    // Empties the segment program and its list.
    virtual void ClearStepProgram() = 0;
};

} // namespace UnitMain
