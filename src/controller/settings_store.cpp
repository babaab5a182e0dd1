#include "controller/settings_store.h"

#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>

namespace lyrovox {

namespace {

const QString kSection = QStringLiteral("Setup/");

QString KeyPath(const SettingSpec& spec) {
  return kSection + QLatin1String(spec.name);
}

constexpr int kMinVideoWidth = 102;
constexpr int kMinVideoHeight = 90;

}  // namespace

SettingsStore::SettingsStore(const QString& profilePath) : path_(profilePath) {
  if (!path_.isEmpty()) {
    profile_ = std::make_unique<QSettings>(path_, QSettings::IniFormat);
    // Never rewrite the file in place: a failed write keeps the previous one.
    profile_->setAtomicSyncRequired(true);
  }
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::DefaultProfilePath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/TuneWell/LyroVox.conf");
}

std::optional<int> SettingsStore::ParsedInt(SettingKey key) const {
  if (!profile_) return std::nullopt;
  const QVariant value = profile_->value(KeyPath(SpecOf(key)));
  if (value.typeId() != QMetaType::QString) return std::nullopt;
  bool ok = false;
  const int parsed = value.toString().trimmed().toInt(&ok);
  if (!ok) return std::nullopt;
  return parsed;
}

int SettingsStore::ReadInt(SettingKey key) const {
  return ParsedInt(key).value_or(SpecOf(key).intDefault);
}

QString SettingsStore::ReadString(SettingKey key) const {
  const SettingSpec& spec = SpecOf(key);
  if (!profile_) return {};
  const QVariant value = profile_->value(KeyPath(spec));
  // An unquoted text with commas, as a hand-edited file may hold, comes back as a list.
  if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(u", ");
  if (value.typeId() != QMetaType::QString) return {};
  return value.toString();
}

void SettingsStore::ReadAtStartUp(QSize display, bool ctrlHeld) {
  const QRect all(QPoint(0, 0), display);
  ReadAtStartUp({ScreenArea{all, all}}, ctrlHeld);
}

void SettingsStore::ReadAtStartUp(const std::vector<ScreenArea>& screens, bool ctrlHeld) {
  if (profile_) profile_->sync();
  for (const SettingSpec& spec : SettingsTable()) {
    if (spec.isString) {
      values_.*spec.stringField = ReadString(spec.key);
    } else if (spec.colorField != nullptr) {
      values_.*spec.colorField = static_cast<uint32_t>(ReadInt(spec.key));
    } else {
      values_.*spec.intField = ReadInt(spec.key);
    }
  }

  Settings& v = values_;
  const Settings defaults;
  const auto saved = [this](SettingKey left, SettingKey top) {
    return ParsedInt(left).has_value() || ParsedInt(top).has_value();
  };
  SavedPlaces places;
  places.panel = saved(SettingKey::kPlayerLeft, SettingKey::kPlayerTop);
  places.playList = saved(SettingKey::kPlayListLeft, SettingKey::kPlayListTop);
  places.video = saved(SettingKey::kVideoLeft, SettingKey::kVideoTop);
  if (v.videoWidth < kMinVideoWidth || v.videoHeight < kMinVideoHeight) {
    v.videoWidth = defaults.videoWidth;
    v.videoHeight = defaults.videoHeight;
  }
  // A window larger than the display cannot be handled, and a hostile size would ask the window
  // system for a gigantic surface.
  if (!screens.empty()) {
    const QSize primary = screens.front().geometry.size();
    if (primary.width() > 0) {
      v.videoWidth = std::min(v.videoWidth, std::max(primary.width(), defaults.videoWidth));
    }
    if (primary.height() > 0) {
      v.videoHeight = std::min(v.videoHeight, std::max(primary.height(), defaults.videoHeight));
    }
  }

  if (ctrlHeld) {
    v.playListShow = defaults.playListShow;
    v.videoWidth = defaults.videoWidth;
    v.videoHeight = defaults.videoHeight;
    v.fullScreen = 0;
    places = SavedPlaces{};
  }
  PlaceWindows(v, screens, places);
}

void SettingsStore::Put(SettingKey key) {
  if (!profile_) return;
  const SettingSpec& spec = SpecOf(key);
  QString text;
  if (spec.isString) {
    text = values_.*spec.stringField;
  } else if (spec.colorField != nullptr) {
    text = QString::number(static_cast<int32_t>(values_.*spec.colorField));
  } else {
    text = QString::number(values_.*spec.intField);
  }
  profile_->setValue(KeyPath(spec), text);
}

bool SettingsStore::Sync() {
  if (!profile_) return true;
  profile_->sync();
  return profile_->status() == QSettings::NoError;
}

bool SettingsStore::WriteInt(SettingKey key, int value) {
  const SettingSpec& spec = SpecOf(key);
  if (spec.isString) return false;
  if (spec.colorField != nullptr) {
    values_.*spec.colorField = static_cast<uint32_t>(value);
  } else {
    values_.*spec.intField = value;
  }
  return Write({key});
}

bool SettingsStore::WriteString(SettingKey key, const QString& value) {
  const SettingSpec& spec = SpecOf(key);
  if (!spec.isString) return false;
  values_.*spec.stringField = value;
  return Write({key});
}

bool SettingsStore::Write(std::initializer_list<SettingKey> keys) {
  for (SettingKey key : keys)
    Put(key);
  return Sync();
}

}  // namespace lyrovox
