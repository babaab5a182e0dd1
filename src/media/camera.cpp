#include "media/camera.h"

namespace lyrovox {

Camera OpenFirstCamera() {
  Camera camera;
  if (!gst::EnsureInitialized()) return camera;
  gst::ObjectPtr<GstDeviceProvider> provider(
      gst_device_provider_factory_get_by_name("v4l2deviceprovider"));
  if (!provider) return camera;
  GList* devices = gst_device_provider_get_devices(provider.get());
  for (GList* item = devices; item != nullptr; item = item->next) {
    auto* device = static_cast<GstDevice*>(item->data);
    if (!gst_device_has_classes(device, "Video/Source")) continue;
    camera.source = gst::AdoptElement(gst_device_create_element(device, nullptr));
    if (!camera.source) continue;
    gst::CharPtr name(gst_device_get_display_name(device));
    if (name) camera.name = name.get();
    break;
  }
  g_list_free_full(devices, gst_object_unref);
  return camera;
}

}  // namespace lyrovox
