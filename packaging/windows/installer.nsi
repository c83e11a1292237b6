; Velmora's Windows installer, made by makensis (packaging/windows/CMakeLists.txt defines VERSION,
; BIN, DOCS, ICON and OUTFILE). It installs for the current user alone, without administrator
; rights, into %LOCALAPPDATA%\Programs\Velmora: the screen saver setting it changes is the user's
; own, and a folder the user may write keeps the settings file beside the programs. It makes
; Velmora the user's screen saver and registers its uninstaller in "Apps & features". It speaks
; the user's language where Velmora does, and /S installs and uninstalls without a word.
Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define DESKTOP_KEY "Control Panel\Desktop"
!define PUBLISHER "Velmora developers"

Name "Velmora"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Velmora"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show
BrandingText "Velmora ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Velmora"
VIAddVersionKey /LANG=0 "FileDescription" "Velmora ${VERSION} setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(OpenScreenSaverSettings)"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${DOCS}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first is the default for a language not in the list.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Spanish"
!insertmacro MUI_LANGUAGE "PortugueseBR"
!insertmacro MUI_LANGUAGE "Japanese"

LangString OpenScreenSaverSettings ${LANG_ENGLISH} "Open the screen saver settings"
LangString OpenScreenSaverSettings ${LANG_GERMAN} "Die Bildschirmschoner-Einstellungen öffnen"
LangString OpenScreenSaverSettings ${LANG_FRENCH} "Ouvrir les paramètres de l'écran de veille"
LangString OpenScreenSaverSettings ${LANG_SPANISH} "Abrir la configuración del protector de pantalla"
LangString OpenScreenSaverSettings ${LANG_PORTUGUESEBR} "Abrir as configurações de proteção de tela"
LangString OpenScreenSaverSettings ${LANG_JAPANESE} "スクリーン セーバーの設定を開く"

LangString ScreenSaverSet ${LANG_ENGLISH} "Velmora is now your screen saver."
LangString ScreenSaverSet ${LANG_GERMAN} "Velmora ist jetzt Ihr Bildschirmschoner."
LangString ScreenSaverSet ${LANG_FRENCH} "Velmora est maintenant votre écran de veille."
LangString ScreenSaverSet ${LANG_SPANISH} "Velmora es ahora su protector de pantalla."
LangString ScreenSaverSet ${LANG_PORTUGUESEBR} "O Velmora agora é a sua proteção de tela."
LangString ScreenSaverSet ${LANG_JAPANESE} "Velmora をスクリーン セーバーに設定しました。"

LangString ScreenSaverNone ${LANG_ENGLISH} "Your screen saver is now none."
LangString ScreenSaverNone ${LANG_GERMAN} "Es ist jetzt kein Bildschirmschoner mehr eingestellt."
LangString ScreenSaverNone ${LANG_FRENCH} "Aucun écran de veille n'est plus choisi."
LangString ScreenSaverNone ${LANG_SPANISH} "Ya no hay ningún protector de pantalla elegido."
LangString ScreenSaverNone ${LANG_PORTUGUESEBR} "Agora nenhuma proteção de tela está escolhida."
LangString ScreenSaverNone ${LANG_JAPANESE} "スクリーン セーバーは「なし」になりました。"

LangString AskRemoveUserFiles ${LANG_ENGLISH} "Also remove your Velmora settings and the captured desktop picture?$\r$\n$\r$\nIf you answer No, they stay where they are:$\r$\n$1"
LangString AskRemoveUserFiles ${LANG_GERMAN} "Auch Ihre Velmora-Einstellungen und das aufgenommene Bild des Desktops entfernen?$\r$\n$\r$\nWenn Sie Nein antworten, bleiben sie, wo sie sind:$\r$\n$1"
LangString AskRemoveUserFiles ${LANG_FRENCH} "Supprimer aussi vos réglages de Velmora et l'image capturée du bureau ?$\r$\n$\r$\nSi vous répondez Non, ils restent où ils sont :$\r$\n$1"
LangString AskRemoveUserFiles ${LANG_SPANISH} "¿Quitar también su configuración de Velmora y la imagen capturada del escritorio?$\r$\n$\r$\nSi responde No, se quedan donde están:$\r$\n$1"
LangString AskRemoveUserFiles ${LANG_PORTUGUESEBR} "Remover também as suas configurações do Velmora e a imagem capturada da área de trabalho?$\r$\n$\r$\nSe você responder Não, elas ficam onde estão:$\r$\n$1"
LangString AskRemoveUserFiles ${LANG_JAPANESE} "Velmora の設定と、写し取ったデスクトップの画像も削除しますか?$\r$\n$\r$\n「いいえ」と答えると、そのまま残ります:$\r$\n$1"

LangString KeptUserFiles ${LANG_ENGLISH} "Kept your settings and the captured desktop picture:"
LangString KeptUserFiles ${LANG_GERMAN} "Ihre Einstellungen und das aufgenommene Bild des Desktops bleiben erhalten:"
LangString KeptUserFiles ${LANG_FRENCH} "Vos réglages et l'image capturée du bureau sont conservés :"
LangString KeptUserFiles ${LANG_SPANISH} "Se conservan su configuración y la imagen capturada del escritorio:"
LangString KeptUserFiles ${LANG_PORTUGUESEBR} "As suas configurações e a imagem capturada da área de trabalho foram mantidas:"
LangString KeptUserFiles ${LANG_JAPANESE} "設定と、写し取ったデスクトップの画像は残しました:"

Function OpenScreenSaverSettings
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

Section
  SetOutPath "$INSTDIR"
  File "${BIN}/Velmora.scr"
  File "${BIN}/Velmora.dll"
  File "${DOCS}/INSTALL.txt"
  File "${DOCS}/LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; What the system's own "Install" of a screen saver writes.
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$INSTDIR\Velmora.scr"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  DetailPrint "$(ScreenSaverSet)"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Velmora"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Velmora.scr,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "https://velmora.example.org/"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The screen saver setting goes back to none only while it still names this copy of Velmora
; (the system may have written it in its long or its short form).
Function un.ResetScreenSaver
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  GetFullPathName /SHORT $1 "$INSTDIR\Velmora.scr"
  ${If} $0 == "$INSTDIR\Velmora.scr"
  ${OrIf} $0 == $1
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    DetailPrint "$(ScreenSaverNone)"
  ${EndIf}
FunctionEnd

; The user's settings file (beside the programs, or in %APPDATA%\Velmora when that folder could
; not be written) and the private folder with the captured desktop stay, unless the user, asked,
; removes them; /S never asks and keeps them.
Function un.UserFiles
  StrCpy $1 ""
  ${If} ${FileExists} "$INSTDIR\Velmora.ini"
    StrCpy $1 "$1$INSTDIR\Velmora.ini$\r$\n"
  ${EndIf}
  ${If} ${FileExists} "$APPDATA\Velmora\Velmora.ini"
    StrCpy $1 "$1$APPDATA\Velmora\Velmora.ini$\r$\n"
  ${EndIf}
  ${If} ${FileExists} "$LOCALAPPDATA\Velmora\*.*"
    StrCpy $1 "$1$LOCALAPPDATA\Velmora$\r$\n"
  ${EndIf}
  ${If} $1 == ""
    Return
  ${EndIf}
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(AskRemoveUserFiles)" /SD IDNO IDNO keep
  Delete "$INSTDIR\Velmora.ini"
  Delete "$APPDATA\Velmora\Velmora.ini"
  RMDir "$APPDATA\Velmora"
  RMDir /r "$LOCALAPPDATA\Velmora"
  Return
keep:
  DetailPrint "$(KeptUserFiles)"
  DetailPrint "$1"
FunctionEnd

Section "Uninstall"
  Call un.ResetScreenSaver
  Delete "$INSTDIR\Velmora.scr"
  Delete "$INSTDIR\Velmora.dll"
  Delete "$INSTDIR\INSTALL.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Call un.UserFiles
  ; Only when empty: a kept settings file keeps the folder.
  RMDir "$INSTDIR"
SectionEnd

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd
