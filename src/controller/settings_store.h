#pragma once

// The one settings store of the program: the values of section "Setup" as the program holds them,
// read from the user's profile at start-up and written back key by key. Windows, the setup sheet
// and the controller share it by reference.

#include <QSize>
#include <QString>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

#include "controller/settings.h"
#include "controller/window_places.h"

class QSettings;

namespace lyrovox {

class SettingsStore {
 public:
  // The profile file (INI). An empty path keeps the settings in memory only: nothing is read or
  // written (tools that must not touch the user's profile).
  explicit SettingsStore(const QString& profilePath);
  ~SettingsStore();
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  // ~/.config/TuneWell/LyroVox.conf (XDG_CONFIG_HOME honoured).
  static QString DefaultProfilePath();

  // Reads every key in the table's order, then places the windows on the screens (the primary
  // first; window_places.h): saved places that can be grabbed stay, the others move onto a
  // screen, and windows without a place are laid out side by side. With Ctrl held every window
  // is laid out so, at its default size, and full screen is off for this run; the profile is not
  // rewritten.
  void ReadAtStartUp(const std::vector<ScreenArea>& screens, bool ctrlHeld);
  // The same for one screen of `display` pixels.
  void ReadAtStartUp(QSize display, bool ctrlHeld);

  Settings& values() { return values_; }
  const Settings& values() const { return values_; }

  // The profile's value now: a missing value, or one that does not parse as the key's type,
  // reads as the key's default.
  int ReadInt(SettingKey key) const;
  QString ReadString(SettingKey key) const;

  // Sets the value in memory and writes it to the profile. False when the profile could not be
  // written; the file on disk is then the one before (profiles are replaced whole, never
  // rewritten in place).
  bool WriteInt(SettingKey key, int value);
  bool WriteString(SettingKey key, const QString& value);
  // Writes the values in memory of these keys, in one go.
  bool Write(std::initializer_list<SettingKey> keys);

  const QString& profilePath() const { return path_; }

 private:
  void Put(SettingKey key);
  // The profile's value when there is one that parses as an integer.
  std::optional<int> ParsedInt(SettingKey key) const;
  bool Sync();

  QString path_;
  std::unique_ptr<QSettings> profile_;
  Settings values_;
};

}  // namespace lyrovox
