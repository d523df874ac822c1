#include "plugin/component/string_table.h"

#include <cctype>
#include <string>

#include "platform/host.h"

namespace brightwell {

namespace {

struct Entry {
  uint32_t id;
  std::u16string_view text;
};

// English (United States); Spanish, Italian and French (Belgium) carry these
// texts too.
constexpr Entry kEnglish[] = {
    {1, u"At least 1 NIC on the system has older firmware than that which is available in the component. Firmware "
        u"update is recommended. Press install to display installed version(s) and firmware available in this "
        u"component.\r\n"},
    {2, u"All NICs in the system for which there is a corresponding firmware version in this component have the same "
        u"version of firmware as that which is available in the component. Firmware upgrade is not necessary. To "
        u"display installed version(s) and firmware available in this component, press install.\r\n"},
    {3, u"All NICs in the system for which there is a corresponding firmware version in the component are either the "
        u"same or newer than the firmware version available in the component. At least 1 NIC on the system has newer "
        u"firmware than that which is available in the component. Firmware upgrade is not recommended. To display "
        u"installed version(s) and firmware available in this component, press install.\r\n"},
    {4, u"Checking all NICs in the system for installed firmware and generating discovery XML file.\r\n"},
    {5, u"Reading discovery XML file and performing firmware updates.\r\n"},
    {7, u"All firmware discovery successful.  Details in discovery xml file.\r\n"},
    {8, u"An error occured during discovering hardware. See burnkit.log for more information.\r\n"},
    {10, u"Error reading discovery XML file.\r\n"},
    {11, u"Discovery XML file read and firmware upgrade completed successfully.\r\n"},
    {12, u"Version report completed successfully.\r\n"},
    {13, u"All firmware is up to date.  No updates were performed.  See log for more information.\r\n"},
    {14, u"An error occured during the firmware installation or update process.  See log for more information.\r\n"},
    {15, u"All firmware installations were successful.  See log for more information.\r\n"},
    {18, u"Orland Kestrel-Series Solvane Z3P Multifunction Driver x64 Edition is required but is not currently "
         u"installed and running.  Please install or load driver and retry setup.\r\n"},
    {19, u"CVND6OR driver service is running.  Please update driver to version 4.3.11.407 or later for successful "
         u"operation.\r\n"},
    {20, u"Dependencies Failed -- Driver and firmware set are not allowed for update. Please install driver version "
         u"4.0.539.13875 prior to performing firmware upgrade on devices with firmware version 4.0.550 or earlier "
         u"installed. See burnkit.log for further details.\r\n"},
    {21, u"Dependencies Failed -- Driver and firmware set are not allowed for update. Please install driver version "
         u"4.3.11.407 prior to performing firmware upgrade on devices with firmware version 4.0.550 or earlier "
         u"installed. See burnkit.log for further details.\r\n"},
    {22, u"Dependencies Passed -- Driver and firmware set allowed for update.\r\n"},
};

// The German variant differs from the English one in texts 13 to 15 only.
constexpr Entry kGermanOwn[] = {
    {13, u"All firmware is up to date.  No updates were performed.  See burnkit.log for more information.\r\n"},
    {14, u"An error occured during the firmware installation or update process.  See burnkit.log for more "
         u"information.\r\n"},
    {15, u"All firmware installations were successful.  See burnkit.log for more information.\r\n"},
};

constexpr Entry kJapanese[] = {
    {1, u"このコンポーネントで提供されているファームウェアよりも古いファームウェアを持つNICが、システムに少なくとも1つあり"
        u"ます。ファームウェアの更新をお勧めします。インストールを押すと、インストールされているバージョンとこのコンポーネ"
        u"ントで提供されているファームウェアが表示されます。\r\n"},
    {2, u"このコンポーネントに対応するファームウェアがあるシステム内のすべてのNICは、このコンポーネントで提供されているフ"
        u"ァームウェアと同じバージョンです。ファームウェアのアップグレードは必要ありません。インストールされているバージョ"
        u"ンとこのコンポーネントで提供されているファームウェアを表示するには、インストールを押してください。\r\n"},
    {3, u"このコンポーネントに対応するファームウェアがあるシステム内のすべてのNICは、このコンポーネントのファームウェアと"
        u"同じか、より新しいバージョンです。このコンポーネントで提供されているファームウェアよりも新しいファームウェアを持"
        u"つNICが、システムに少なくとも1つあります。ファームウェアのアップグレードはお勧めしません。インストールされている"
        u"バージョンとこのコンポーネントで提供されているファームウェアを表示するには、インストールを押してください。\r\n"},
    {4, u"システム内のすべてのNICのインストール済みファームウェアを確認し、ディスカバリXMLファイルを作成しています。\r\n"},
    {5, u"ディスカバリXMLファイルを読み込み、ファームウェアを更新しています。\r\n"},
    {7, u"すべてのファームウェアのディスカバリが成功しました。詳細はディスカバリXMLファイルを参照してください。\r\n"},
    {8, u"ハードウェアのディスカバリ中にエラーが発生しました。詳細はburnkit.logを参照してください。\r\n"},
    {10, u"ディスカバリXMLファイルの読み込み中にエラーが発生しました。\r\n"},
    {11, u"ディスカバリXMLファイルを読み込み、ファームウェアのアップグレードが正常に完了しました。\r\n"},
    {12, u"バージョンレポートが正常に完了しました。\r\n"},
    {13, u"すべてのファームウェアは最新です。更新は行われませんでした。詳細はログを参照してください。\r\n"},
    {14, u"ファームウェアのインストールまたは更新中にエラーが発生しました。詳細はログを参照してください。\r\n"},
    {15, u"すべてのファームウェアのインストールが成功しました。詳細はログを参照してください。\r\n"},
    {18, u"Orland Kestrel-Series Solvane Z3P Multifunction Driver x64 Editionが必要ですが、インストールされていないか"
         u"実行されていません。ドライバをインストールまたはロードして、セットアップを再実行してください。\r\n"},
    {19, u"CVND6ORドライバサービスが実行されています。正常に動作させるには、ドライバをバージョン4.3.11.407以降に更新して"
         u"ください。\r\n"},
    {20, u"依存関係の確認に失敗しました -- このドライバとファームウェアの組み合わせでは更新できません。ファームウェアバー"
         u"ジョン4.0.550以前がインストールされているデバイスのファームウェアをアップグレードする前に、ドライババージョン"
         u"4.0.539.13875をインストールしてください。詳細はburnkit.logを参照してください。\r\n"},
    {21, u"依存関係の確認に失敗しました -- このドライバとファームウェアの組み合わせでは更新できません。ファームウェアバー"
         u"ジョン4.0.550以前がインストールされているデバイスのファームウェアをアップグレードする前に、ドライババージョン"
         u"4.3.11.407をインストールしてください。詳細はburnkit.logを参照してください。\r\n"},
    {22, u"依存関係の確認に成功しました -- このドライバとファームウェアの組み合わせで更新できます。\r\n"},
};

template <size_t N>
std::u16string_view find(const Entry (&table)[N], uint32_t id) {
  for (const Entry& e : table) {
    if (e.id == id) return e.text;
  }
  return {};
}

}  // namespace

StringVariant variantOf(std::string_view uiLanguage) {
  std::string primary;
  for (char c : uiLanguage) {
    if (c == '-' || c == '_') break;
    primary += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  if (primary == "de") return StringVariant::German;
  if (primary == "es") return StringVariant::Spanish;
  if (primary == "it") return StringVariant::Italian;
  if (primary == "fr") return StringVariant::French;
  if (primary == "ja") return StringVariant::Japanese;
  return StringVariant::English;
}

std::u16string_view resourceString(uint32_t id, StringVariant variant) {
  if (variant == StringVariant::Japanese) return find(kJapanese, id);
  if (variant == StringVariant::German) {
    std::u16string_view own = find(kGermanOwn, id);
    if (!own.empty()) return own;
  }
  return find(kEnglish, id);
}

std::u16string_view loadString(uint32_t id) {
  return resourceString(id, variantOf(platform::host().system().uiLanguage()));
}

}  // namespace brightwell
