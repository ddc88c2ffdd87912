// Applying one parsed .reg file to a registry as one change. Before each operation, what it
// will change is recorded (a value's old bytes or its absence, the first key it creates, a
// subtree it deletes); when an operation fails (a key the user may not write), everything
// applied before it is undone in reverse order. The registry then holds all of the file or
// none of it; an undo that fails too is said, naming what could not be put back.
#pragma once

#include <string>

#include "regfile/regfile.h"
#include "store/access.h"

namespace hivewarden::repair {

struct AllOrNothingResult {
    // Empty when every operation took; else the first failure ("x.reg:7: cannot write ...").
    std::string Failure;
    // After a failure: empty when the registry was put back as it was; else what was not.
    std::string UndoFailure;

    bool Applied() const { return Failure.empty(); }
};

AllOrNothingResult ApplyAllOrNothing(const registry::RegFile& file,
                                     registry::RegistryAccess& access);

}  // namespace hivewarden::repair
