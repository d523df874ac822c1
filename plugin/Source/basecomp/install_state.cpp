// The install state the update manager shows for the component, with the
// message for the user in the manager's language.
#include "plugin/Source/basecomp/base_component.h"
#include "plugin/Source/basecomp/install_state_texts.h"

namespace brightwell {

namespace {

constexpr size_t kCheckBufferChars = 4096;
constexpr uint32_t kRecordBytes = sizeof(InstallStateRecord);

}  // namespace

int32_t CBaseComponent::GetInstallState(InstallStateRecord* record, uint32_t size, const char16_t* language) {
  if (record == nullptr || size < kRecordBytes) return 0;
  std::u16string_view lang = textOf(language);
  auto setMessage = [&](std::u16string_view text) { copyBounded(record->message, kInstallMessageChars, text); };
  record->message[0] = u'\0';

  question(__LINE__, u"    - Is operating system supported... ");
  if (!IsOSSupported()) {
    answerBoth(u"No\r\n\r\n");
    record->state = CannotInstall;
    setMessage(stateMessage(StateMessage::SystemNotSupported, lang));
    return 1;
  }
  answerBoth(u"Yes\r\n");

  question(__LINE__, u"    - Is necessary disk space available... ");
  if (!IsDiskSpaceAvailable(nullptr)) {
    answerBoth(u"No\r\n\r\n");
    record->state = CannotInstall;
    setMessage(stateMessage(StateMessage::NotEnoughDiskSpace, lang));
    return 1;
  }
  answerBoth(u"Yes\r\n");

  question(__LINE__, u"    - Is hardware present... ");
  const bool hardware = IsHardwarePresent() != 0;
  answerBoth(hardware ? u"Yes\r\n" : u"No\r\n");

  question(__LINE__, u"    - Is component already installed... ");
  const bool installed = IsInstalled() != 0;
  answerBoth(installed ? u"Yes\r\n" : u"No\r\n");

  question(__LINE__, u"    - Is component marked for removal... ");
  const bool removal = IsMarkedForRemoval() != 0;
  answerBoth(removal ? u"Yes\r\n" : u"No\r\n");

  question(__LINE__, u"    - Installed component version status... ");
  const int32_t status = GetVersionStatus();
  if (status == 0) answerBoth(u"Older\r\n");
  else if (status == 1) answerBoth(u"Same\r\n");
  else if (status == 2) answerBoth(u"Newer\r\n");

  std::u16string dependencyText(kCheckBufferChars, u'\0');
  const bool dependencies = AreDependenciesMet(dependencyText.data(), kCheckBufferChars, language) != 0;

  question(__LINE__, u"    - Checking dependency list... ");
  std::u16string listText(kCheckBufferChars, u'\0');
  const bool list = CheckDependencyList(listText.data(), kCheckBufferChars, language) != 0;
  answerBoth(list ? u"Done.\r\n\r\n" : u"Failed!\r\n\r\n");

  record->state = Undetermined;
  if (hardware) {
    if (!dependencies && dependencyText[0] != u'\0') setMessage(dependencyText.c_str());
    if (!dependencies || removal) {
      record->state = CannotInstall;
      if (removal) setMessage(stateMessage(StateMessage::RemovalPending, lang));
    } else if (installed) {
      if (status == 0) record->state = OlderVersion;
      else if (status == 1) record->state = SameVersion;
      else if (status == 2) record->state = NewerVersion;
    } else {
      record->state = NotInstalled;
    }
  } else {
    record->state = installed ? NoHardwareInstalled : NotApplicable;
  }
  if (!list) {
    record->state = NotApplicable;
    if (listText[0] != u'\0') setMessage(listText.c_str());
  }
  return 1;
}

}  // namespace brightwell
