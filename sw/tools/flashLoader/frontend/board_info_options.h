// --info and -F/--testflash: the board report with the settings' status,
// and the flash self-test, both on the adapter opened by -i.
#pragma once

// The board report, then the PXE, WOL and NC-SI status lines that apply to
// the board. The run's exit code: 0, or the code of the last step that
// failed.
int run_board_information();

// "Running Flash Test ..." and the self-test's verdict; its result becomes
// the run's status.
void run_flash_test();
