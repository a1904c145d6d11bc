#pragma once

#include <QString>

// The program's fixed words and settings names.
namespace uRes {

// Yes/no cell words of the alarm table.
inline const QString Yes = QStringLiteral("Oui");
inline const QString No = QStringLiteral("Non");

// Header row of the alarm table, columns 0 to 5.
inline const QString HeaderNumber = QStringLiteral("-");
inline const QString HeaderDate = QStringLiteral("Date");
inline const QString HeaderTime = QStringLiteral("Heure");
inline const QString HeaderEnabled = QStringLiteral("Activée");
inline const QString HeaderMessage = QStringLiteral("Message à afficher");
inline const QString HeaderShutdown = QStringLiteral("Extinction PC");

// Marks an alarm without a message.
inline const QString NoMessage = QStringLiteral("-");

// Alarm sections and their keys; the section name takes the section number (0 to 7).
inline constexpr const char *AlarmSectionFormat = "Alarm_%.3d";
inline const QString KeyEnabled = QStringLiteral("Enabled");
inline const QString KeyDate = QStringLiteral("Date");
inline const QString KeyTime = QStringLiteral("Time");
inline const QString KeyDisplayName = QStringLiteral("DisplayName");
inline const QString KeyShutdown = QStringLiteral("Shutdown");

// Preference sections and keys.
inline const QString SectionDisplay = QStringLiteral("Display");
inline const QString KeyAppStayOnTop = QStringLiteral("AppStayOnTop");
inline const QString KeyAppShowMenu = QStringLiteral("AppShowMenu");
inline const QString SectionAlarms = QStringLiteral("Alarms");
inline const QString KeyActAlarmsSound = QStringLiteral("ActAlarmsSound");

// Window placement: the sections are the windows' storage paths, the keys these, the
// position keys also with the resolution suffix.
inline const QString StoragePathMain = QStringLiteral("fmMain\\");
inline const QString StoragePathAlarmsEdit = QStringLiteral("fmAlarmsEdit\\");
inline const QString KeyFormVersion = QStringLiteral("FormVersion");
inline const QString KeyShowCmd = QStringLiteral("ShowCmd");
inline const QString KeyFlags = QStringLiteral("Flags");
inline const QString KeyPixelsPerInch = QStringLiteral("PixelsPerInch");
inline const QString KeyMinMaxPos = QStringLiteral("MinMaxPos");
inline const QString KeyNormPos = QStringLiteral("NormPos");
inline constexpr const char *ResolutionSuffixFormat = "(%dx%d)";

// Message given to an alarm the user enables without one; takes the alarm number.
inline constexpr const char *DefaultMessageFormat = "Message alarme %.3d";

// Error messages; each takes the offending text or the file path.
inline constexpr const char *InvalidDateFormat = "'%s' n'est pas une date correcte";
inline constexpr const char *InvalidTimeFormat = "'%s' n'est pas une heure correcte";
inline constexpr const char *IniWriteErrorFormat = "Impossible d'écrire dans %s";
inline constexpr const char *FileRemoveErrorFormat = "Impossible de supprimer %s";
inline constexpr const char *InvalidIntegerFormat = "'%s' n'est pas une valeur entière correcte";
inline constexpr const char *NotAnsweringFormat =
    "Tempovir est déjà ouvert avec le fichier de réglages %s, mais il ne répond pas. "
    "Fermez-le, puis relancez Tempovir.";
inline constexpr const char *NoInstanceLockFormat =
    "Tempovir ne peut pas s'assurer qu'il n'est pas déjà ouvert avec le fichier de réglages %s : "
    "aucun dossier n'accepte son verrou. Il ne démarre pas, pour ne pas déclencher chaque alarme deux fois.";
inline constexpr const char *IniNotReadFormat =
    "Tempovir ne peut pas lire son fichier de réglages %s : les alarmes et les préférences n'ont pas "
    "été chargées. Ce fichier ne sera pas écrasé, et les modifications de cette session ne seront pas "
    "enregistrées.";
// Said when the message editor cut what was pasted or typed; takes the longest message.
inline constexpr const char *MessageCutFormat = "Le message a été tronqué à %d caractères.";

// "Alarm_000" to "Alarm_007".
QString AlarmSection(int index);
// The default message of alarm number (1 to 8).
QString DefaultMessage(int number);
QString InvalidDate(const QString &text);
QString InvalidTime(const QString &text);
QString IniWriteError(const QString &path);
QString FileRemoveError(const QString &path);
QString InvalidInteger(const QString &text);
// Another copy runs on the settings file at path but does not answer.
QString NotAnswering(const QString &path);
// No folder can hold the lock that keeps a second copy away from path.
QString NoInstanceLock(const QString &path);
// The settings file at path is there but could not be read, and will not be written.
QString IniNotRead(const QString &path);
// The message editor cut a text to length characters.
QString MessageCut(qsizetype length);

} // namespace uRes
