// The run's program-wide state is spread over the layers that own it (the
// options here, the open adapter in adapter/, the lookups' lists in
// hostglue/). Each piece registers how it starts, so that one call puts all
// of it back: what in-process tests do between two runs of the tool's steps.
#pragma once

using StateReset = void (*)();

// Registers a piece's reset; returns true so that a piece can register from
// a namespace-scope initialiser beside its definition.
bool register_state_reset(StateReset reset);

// Every registered piece back to how a run starts.
void reset_run_state();
