#include "base/ui_text.h"

namespace velinor {
namespace {

struct Entry {
    int id;
    const char* german;
    const char* english;
};

// Texts are UTF-8.
constexpr Entry kCatalogue[] = {
    {1, "Fehler COM-Port-Handle!", "Error COM-Port-Handle"},
    {2, "WLAN Zugangsart (Access Point/Ad Hoc) wählen!", "Choose Access Point/AdHoc"},
    {3, "SSID eingeben", "Enter SSID"},
    {4, "Kanal eingeben", "Enter channel"},
    {5, "Kanal ungültig", "Channel invalid"},
    {6, "Verschlüsselung eingeben", "Enter encryption"},
    {7, "Schlüssel eingeben", "Enter key"},
    {8, "Fehler beim SSID einstellen", "Error occurred while set SSID"},
    {9, "Fehler beim Verschlüsselung einstellen", "Error occurred while set encryption"},
    {10, "Fehler beim Schlüssel einstellen", "Error occurred while set key"},
    {11, "Fehler beim Kanal einstellen", "Error occurred while set channel"},
    {12, "Fehler beim Software-Reset", "Error occurred while software reset"},
    {17, "Fehler beim Software-Reset", "Error occured while software-reset"},
    {18, "Fehler beim Host (USB) einstellen", "Error occured while set host (USB)"},
    {19, "Fehler beim Baudrate einstellen", "Error occured while set baudrate"},
    {20, "Fehler beim Bridgemode einstellen", "Error occurred while set bridgemode"},
    {21, "Timeout beim Schlüssel einstellen", "Timeout occurred while set key"},
    {26, "COM Port auswählen", "Select a COM port"},
    {27, "Fehler beim Öffnen von ", "Error occured on "},
    {28, "Einstellungen wurden auf dem WLAN-Produkt gespeichert",
     "Settings saved on wireless product"},
    {30, "Benutzername ist leer", "Username is empty"},
    {32, "Passwort ist leer", "Password is empty"},
    {34, "WPA Enterprise ist im Ad-Hoc Modus nicht möglich",
     "WPA Enterprise does not work with ad-hoc"},
    {35, "Es wurde kein gültiges Zertifikat ausgewählt", "No valid certificate detected"},
    {36, "Fehler beim Zertifikat setzen", "Error while set certificate"},
    {37, "Fehler beim Speicher allokieren", "Error during memory allocation"},
    {500, "Serielle Schnittstelle", "Serial Port"},
    {501, "Verschlüsselung", "Encryption"},
    {502, "Kanal", "Channel"},
    {503, "Schlüssel", "Key"},
    {504, "&Konfigurieren", "&Configure"},
    {505, "&Netzsuche", "&Netsearch"},
    {506, "Sprache", "Language"},
    {507, "&Beenden", "&Quit"},
    {508, "Aus&lesen", "Read&out"},
    {509, "Dämpfung", "Damping"},
    {511, "Benutzername", "Username"},
    {512, "Domäne", "Domain"},
    {513, "Passwort", "Password"},
    {514, "Zertifikat", "License"},
    {516, "auswählen", "select"},
    {517, "Es wurde kein Zertifikat ausgewählt", "No license selected"},
    {518, "Zugang", "Access"},
    {519, "MAC-Adresse", "MAC-Address"},
    {520, "Aktualisie&ren", "Ref&resh"},
    {521, "&Abbrechen", "C&ancel"},
    {522, "Drahtlosnetzwerksuche", "Wireless network search"},
    {523, "Keine Drahtlosnetzwerke in Reichweite", "No wireless networks in range"},
    {524, "Fehler beim Drahtlosnetzwerke empfangen", "Error occured during wireless network scan"},
    {525, "Timeout beim Drahtlosnetzwerke empfangen",
     "Timeout occured during wireless network scan"},
    {526, "Es wurde nichts ausgewählt", "Nothing has been selected"},
    {527, "Es wurde ein oder mehrere ungültige Zeichen (:?) im Schlüssel gefunden",
     "One or more invalid characters (:?) found in key"},
    {528, "Werte die nicht dem Hex-Format entsprechen im Schlüssel gefunden",
     "Values not matching the hex-format found in key"},
    {529, "Ein WEP Schlüssel muss aus 10 Hex-Werten bestehen", "A WEP key must have 10 hex-values"},
    {530, "Ein WEP128 Schlüssel muss aus 26 Hex-Werten bestehen",
     "A WEP128 key must have 26 hex-values"},
    {531, "Ein WPA Schlüssel muss 8-63 Zeichen haben", "A WPA key must have 8-63 characters"},
    {600, "Speichert die aktuellen Einstellungen auf dem WLAN-Produkt",
     "Save the current settings on the wireless product"},
    {601, "Aktualisiert die Liste der vorhandenen WLANs", "Refresh the list of available WLANs"},
    {602, "Choose a language", "Sprache wählen"},
    {604, "Name des WLANs eintragen", "Enter the name of the WLAN"},
    {605, "Verschlüsselungsverfahren wählen", "Choose encryption"},
    {606, "Kanal eintragen", "Enter channel"},
    {607,
     "Schlüssel eintragen, falls Sie keine Verschlüsselung verwenden lassen Sie dieses Feld leer",
     "Enter encryption key, if you have no encryption leave this field blank"},
    {608, "Drahtlos Zugangspunkt (z.B. Router)", "Wireless access point (e.g. router)"},
    {609, "Drahtlos Netzwerk", "Wireless network"},
    {610, "Liest die Einstellungen von dem WLAN-Produkt aus (ohne Schlüssel)",
     "Reads the settings from the wireless product (without key)"},
    {611, "Es wird keine Verschlüsselung verwendet", "No encryption is used"},
    {612, "Es wird WEP Verschlüsselung mit 64 Bit verwendet", "WEP encryption with 64 bit is used"},
    {613, "Es wird WEP Verschlüsselung mit 128 Bit verwendet",
     "WEP encryption with 128 bit is used"},
    {614, "Es wird WPA Verschlüsselung mit TKIP verwendet", "WPA encryption with TKIP is used"},
    {615, "Es wird WPA2 Verschlüsselung mit AES verwendet", "WPA2 encryption with AES is used"},
    {616, "Es wird WPA Enterprise Verschlüsselung verwendet", "WPA enterprise encryption is used"},
    {617, "Es wird WPA2 Enterprise Verschlüsselung verwendet",
     "WPA2 enterprise encryption is used"},
    {515, "PEM Zertifikat (*.pem)|*.pem|Alle Dateien (*.*)|*.*||",
     "PEM License (*.pem)|*.pem|All Files (*.*)|*.*||"},
    {603, "Serielle Schnittstelle des WLAN-Produkts (USB-ID 7C5E:0003), z. B. /dev/ttyACM0",
     "Serial port of the wireless product (USB id 7C5E:0003), e.g. /dev/ttyACM0"},
    // The tool's own texts, from 900 on: the help file and its viewer.
    {900, "Die Hilfedatei %1 wurde nicht gefunden.\nGesucht in: %2",
     "The help file %1 was not found.\nLooked in: %2"},
    {901,
     "Kein Programm kann die Hilfedatei %1 anzeigen.\nBitte kchmviewer oder xchm installieren "
     "(z. B. mit: sudo apt install kchmviewer).",
     "No program can show the help file %1.\nPlease install kchmviewer or xchm (for example: "
     "sudo apt install kchmviewer)."},
    {kTitleId, "Velinor", "Velinor"},
};

} // namespace

bool UiText(int germanId, int offset, QString* text) {
    const bool english = offset == kEnglish;
    if (offset != kGerman && !english) {
        if (text)
            text->clear();
        return false;
    }
    for (const Entry& e : kCatalogue) {
        if (e.id == germanId) {
            if (text)
                *text = QString::fromUtf8(english ? e.english : e.german);
            return true;
        }
    }
    if (text)
        text->clear();
    return false;
}

QString UiText(int germanId, int offset) {
    QString text;
    UiText(germanId, offset, &text);
    return text;
}

} // namespace velinor
