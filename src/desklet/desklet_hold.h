// Keeps a desklet alive for the length of one of its steps, so that a destroy delivered from
// inside the step (through a modal box's message loop) frees it only once the step is over.
#pragma once

#include "desklet/desklet.h"

namespace tideglass {

class Desklet::Hold {
public:
    explicit Hold(Desklet& desklet) : desklet_(desklet) { desklet_.hold(); }
    // May free the desklet: nothing of it may be touched once this has run.
    ~Hold() { desklet_.release(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

private:
    Desklet& desklet_;
};

}  // namespace tideglass
