// The front end's state for one run: what the options asked for and what
// the open adapter turned out to be.
#pragma once

#include <cstdint>
#include <string>

// The deferred operations; the run performs at most one, after the last
// option.
inline constexpr const char* kOpUpdate = "UPDATE";
inline constexpr const char* kOpRestore = "RESTORE";
inline constexpr const char* kOpPxeEnable = "PXE_ENABLE";
inline constexpr const char* kOpPxeDisable = "PXE_DISABLE";
inline constexpr const char* kOpWolEnable = "WOL_ENABLE";
inline constexpr const char* kOpWolDisable = "WOL_DISABLE";
inline constexpr const char* kOpNcsiEnable = "NCSI_ENABLE";
inline constexpr const char* kOpNcsiDisable = "NCSI_DISABLE";
inline constexpr const char* kOpHwFlags = "HWFLAGS";

// The interface name keeps 254 characters, the image name 511; longer
// arguments are cut there.
inline constexpr size_t kRunInterfaceNameMax = 254;
inline constexpr size_t kRunImageNameMax = 511;

// The connection name that selects the unattended report mode instead of an
// adapter.
inline constexpr const char* kXmlInterfaceName = "Local Area Connection XML";

struct RunState {
  int32_t status = -1;        // the exit code when the run ends; later steps overwrite it
  int32_t optionsSeen = 0;    // options handled so far, counted before each one's handling
  uint32_t versionCheck = 1;  // 1: compare versions and ask; 0: forced (-f)
  std::string operation;      // one of the keywords above, empty for none
  std::string interfaceName;  // after a PCI-location lookup: the connection name found
  std::string imageName;      // romimage or backup file
  uint32_t port = 0;          // from the driver at the open, or the port prompt
  uint32_t boardType = 0;
  uint32_t portCount = 0;     // 0 when the board type is unknown
  uint32_t hwflags = 0;       // 0..3
};

extern RunState g_run;

// Unattended report mode: no questions asked. Set by -u and by the
// connection name kXmlInterfaceName.
extern int g_xml_mode;

// In report mode the port comes from a port text instead of the prompt: the
// digits after its first '.'.
extern std::string g_xml_port_text;

void set_interface_name(const std::string& name);
void set_image_name(const std::string& name);

// The exit code of a path that reports a failure: the current status, or 31
// when that would read as success.
int32_t failure_status();
