// The generic component of the update framework. It reads the component's
// package file ("ks*.xml") and installer file ("install.xml"), knows the
// machine (operating system, disk space, present hardware, a pending
// removal, the system model), computes the install state the update manager
// shows, answers the property queries and owns the component's log until the
// manager hands over its own. The component itself derives from it and
// replaces Install, GetCurrentVersion, GetInstallState, IsInstalled,
// GetVersionStatus and AreDependenciesMet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "plugin/CKstXMLReader/kst_xml_reader.h"
#include "plugin/CStr/cstr.h"
#include "plugin/include/brightwell/cmp_log.h"

namespace brightwell {

// The install state the update manager shows (GetProperty id 5).
enum InstallStateCode : int32_t {
  SameVersion = 1,
  OlderVersion = 2,
  NewerVersion = 3,
  NoHardwareInstalled = 4,
  NotInstalled = 5,
  NotApplicable = 6,
  CannotInstall = 7,
  Undetermined = 8,
};

inline constexpr size_t kInstallMessageChars = 1024;

// Allocated by the manager, which passes its size in bytes.
struct InstallStateRecord {
  int32_t state;
  char16_t message[kInstallMessageChars];
};
static_assert(sizeof(InstallStateRecord) == 2052);

// GetProperty ids.
enum ComponentProperty : int32_t {
  PropName = 1,
  PropDescription = 2,
  PropCurrentVersion = 3,
  PropVersion = 4,
  PropInstallState = 5,
  PropSilentInstall = 6,
  PropSilentInstall2 = 7,
  PropConstantOne = 8,
  PropLogger = 9,
};

inline constexpr size_t kPlatformChars = 64;

// One "supported_operating_system" of the package; -1 (0xFFFF for the
// edition mask) accepts any value.
struct SupportedOsRecord {
  char16_t platform[kPlatformChars];
  int32_t major;
  int32_t minor;
  int32_t minimumServicePack;
  int32_t editionMask;  // low 16 bits used
};

inline constexpr size_t kPackageBaseNameChars = 128;
inline constexpr size_t kPathChars = 260;

// Install types of the installer file.
inline constexpr int32_t kInstallLegacy = 1;
inline constexpr int32_t kInstallPnp = 2;
inline constexpr int32_t kInstallVirtual = 3;

class CBaseComponent {
 public:
  // Creates the component's own log (default name and directory).
  CBaseComponent();
  CBaseComponent(const CBaseComponent&) = delete;
  CBaseComponent& operator=(const CBaseComponent&) = delete;

  // Slots, in this order.
  virtual ~CBaseComponent();                                                            // 0
  virtual int32_t Initialize();                                                         // 1
  virtual void Cleanup();                                                               // 2
  virtual int32_t ReadPackageFile(const char16_t* path);                                // 3
  virtual int32_t ReadInstallerFile(const char16_t* path);                              // 4
  virtual int32_t FindPackageFile(char16_t* buffer, uint32_t capacity);                 // 5
  virtual int32_t Install(int32_t silent, void* reserved, char16_t* message, int32_t reserved2,
                          const char16_t* language);                                    // 6
  virtual int32_t InstallLegacy(int32_t silent, char16_t* message, const char16_t* language);   // 7
  virtual int32_t InstallPnp(int32_t silent, char16_t* message, const char16_t* language);      // 8
  virtual int32_t InstallVirtual(int32_t silent, char16_t* message, const char16_t* language);  // 9
  virtual int32_t GetProperty(int32_t id, void* out, uint32_t size, intptr_t extra);     // 10
  virtual int32_t GetName(char16_t* buffer, uint32_t capacity, const char16_t* language);         // 11
  virtual int32_t GetDescription(char16_t* buffer, uint32_t capacity, const char16_t* language);  // 12
  virtual int32_t GetCurrentVersion(char16_t* buffer, uint32_t capacity);               // 13
  virtual int32_t GetVersion(char16_t* buffer, uint32_t capacity);                      // 14
  virtual int32_t GetInstallState(InstallStateRecord* record, uint32_t size, const char16_t* language);  // 15
  virtual int32_t IsSilentCapable();                                                    // 16
  virtual int32_t IsSilentCapable2();                                                   // 17
  virtual int32_t QueryConstantOne();                                                   // 18
  virtual int32_t IsOSSupported();                                                      // 19
  virtual int32_t IsDiskSpaceAvailable(const char16_t* path);                           // 20
  virtual int32_t IsHardwarePresent();                                                  // 21
  virtual int32_t IsInstalled();                                                        // 22
  virtual int32_t IsMarkedForRemoval();                                                 // 23
  virtual int32_t GetVersionStatus();                                                   // 24
  virtual int32_t AreDependenciesMet(char16_t* message, uint32_t capacity, const char16_t* language);   // 25
  virtual int32_t CheckDependencyList(char16_t* buffer, uint32_t capacity, const char16_t* language);  // 26
  virtual void SetSilentCapable(int32_t capable);                                       // 27
  virtual void SetRequiredDiskSpace(int32_t kilobytes);                                 // 28
  virtual void SetRebootRequired(int32_t required);                                     // 29
  virtual void SetVersionFile(const char16_t* path);                                    // 30
  virtual void SetInfFile(const char16_t* path, int32_t type);                          // 31
  virtual void AddSupportedDevice(const char16_t* identifier);                          // 32
  virtual void AddSupportedOS(const SupportedOsRecord& record);                         // 33
  virtual const char16_t* GetInfFile();                                                 // 34
  virtual int32_t Is64BitOS();                                                          // 35

  // PropLogger: in verbose mode, the caller's log becomes the component's
  // (the verbose log file moves into the caller's; see the definition).
  void AdoptLogger(CCmpLog* callerLog);
  CCmpLog* Logger() const { return log_; }

 protected:
  // A verbose trace line (header with source and line) and a verbose answer.
  void trace(int32_t line, const char16_t* text);
  void answer(const char16_t* text);
  // Questions and answers of the install state, in both logs.
  void question(int32_t line, const char16_t* text);
  void answerBoth(const char16_t* text);
  // The package file's "kst_package" element, or null.
  CKstXMLNode* packageElement() const;

  int32_t dependencyChecked_ = 0;
  int32_t dependencyResult_ = 1;
  CStr infFile_;
  CStr infSection_;
  CStr serviceName_;
  int32_t installType_ = -1;
  char16_t packageBaseName_[kPackageBaseNameChars] = {};
  char16_t shellExecuteFile_[kPathChars] = {};
  char16_t shellExecuteDirectory_[kPathChars] = {};
  int32_t silentCapable_ = 1;
  int32_t rebootRequired_ = 0;
  int32_t is64Bit_ = 0;
  int32_t requiredDiskSpace_ = 0;  // kilobytes
  CKstXMLReader* packageReader_ = nullptr;
  std::vector<SupportedOsRecord> supportedSystems_;
  std::vector<CStr> supportedDevices_;
  std::vector<CStr> presentHardware_;
  CCmpLog* log_ = nullptr;
  bool ownsLog_ = true;  // false once the caller's log is current

 private:
  void readPackageFields();
  void readSupportedDevices(CKstXMLNode* supportedDevices);
  void readSupportedSystems(CKstXMLNode* supportedSystems);
  void buildPresentHardware();
  bool isPresent(const CStr& identifier);
};

// The source name on the base's trace lines.
inline constexpr char16_t kBaseSource[] = u"basecomp.cpp";

}  // namespace brightwell
