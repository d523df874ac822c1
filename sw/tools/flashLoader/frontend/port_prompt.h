// Which port of a multi-port board a per-port setting applies to.
#pragma once

// Asks "Enter the port number[0-N]:" and reads a decimal number; in report
// mode takes the digits after the first '.' of g_xml_port_text instead. 0
// and g_run.port set when the number is a port of the board (below
// g_run.portCount); otherwise "Invalid port number entered" on standard
// error and -1.
int ask_port_number();
