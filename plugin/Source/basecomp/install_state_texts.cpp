#include "plugin/Source/basecomp/install_state_texts.h"

#include "plugin/CStr/cstr.h"

namespace brightwell {

namespace {

constexpr const char16_t* kTexts[6][3] = {
    {u"The OS is not supported.\r\n", u"There is not enough disk space to install this component.\r\n",
     u"The component is marked for removal upon the next reboot.  Install can not continue.\r\n"},
    {u"Le système d'exploitation n'est pas pris en charge\r\n",
     u"Espace disque insuffisant pour l'installation du composant.\r\n",
     u"Le composant sera supprimé au prochain démarrage.  L'installation ne peut pas continuer.\r\n"},
    {u"The OS is not supported.\r\n", u"There is not enough disk space to install this component.\r\n",
     u"The component is marked for removal upon the next reboot.  Install can not continue.\r\n"},
    {u"Das Betriebssystem wird nicht unterstützt\r\n",
     u"Für die Installation dieser Komponente steht nicht genügend freier Festplattenspeicherplatz zur "
     u"Verfügung.\r\n",
     u"Die markierte Komponente wird beim nächsten Neustart des Systems entfernt.  Die Installation kann nicht "
     u"fortgesetzt werden.\r\n"},
    {u"El sistema operativo no es compatible.\r\n",
     u"No dispone de suficiente espacio en el disco para instalar este componente.\r\n",
     u"El componente está marcado para eliminarlo la próxima vez que reinicie.  La instalación no puede "
     u"continuar.\r\n"},
    {u"このOSはサポートされていません。\r\n",
     u"このコンポーネントをインストールするために必要なディスク容量がありません。\r\n",
     u"このコンポーネントは次回のリブート時に削除されるようにマークされています。インストールを続行できません。\r\n"},
};

}  // namespace

int languageIndex(std::u16string_view language) {
  constexpr const char16_t* kCodes[] = {u"fr", u"it", u"de", u"es", u"ja"};
  for (int i = 0; i < 5; ++i)
    if (equalsNoCase(language, kCodes[i])) return i + 1;
  return 0;
}

const char16_t* stateMessage(StateMessage which, std::u16string_view language) {
  return kTexts[languageIndex(language)][static_cast<int>(which)];
}

}  // namespace brightwell
