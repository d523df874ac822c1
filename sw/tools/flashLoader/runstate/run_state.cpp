#include "sw/tools/flashLoader/runstate/run_state.h"

#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/state_reset.h"

RunState g_run;
int g_xml_mode = 0;
std::string g_xml_port_text;

namespace {

const bool kReset = register_state_reset([] {
  g_run = RunState{};
  g_xml_mode = 0;
  g_xml_port_text.clear();
});

}  // namespace

void set_interface_name(const std::string& name) { g_run.interfaceName = name.substr(0, kRunInterfaceNameMax); }

void set_image_name(const std::string& name) { g_run.imageName = name.substr(0, kRunImageNameMax); }

int32_t failure_status() { return g_run.status != 0 ? g_run.status : kExitGeneralFailure; }
