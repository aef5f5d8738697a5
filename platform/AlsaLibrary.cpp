#include "platform/AlsaLibrary.h"

#include "platform/SharedLibrary.h"

namespace plimo {

namespace {

// Looks a function up under the name of the table's member it fills.
#define PLIMO_FIND_ALSA(name) FindFunction(library, #name, &table.name)

const AlsaLibrary* Load() {
  void* library = OpenSharedLibrary(kAlsaLibraryName);
  if (library == nullptr) return nullptr;
  static AlsaLibrary table;
  const bool found =
      PLIMO_FIND_ALSA(snd_config_update_free_global) && PLIMO_FIND_ALSA(snd_device_name_free_hint) &&
      PLIMO_FIND_ALSA(snd_device_name_get_hint) && PLIMO_FIND_ALSA(snd_device_name_hint) &&
      PLIMO_FIND_ALSA(snd_lib_error_set_handler) && PLIMO_FIND_ALSA(snd_mixer_attach) &&
      PLIMO_FIND_ALSA(snd_mixer_close) && PLIMO_FIND_ALSA(snd_mixer_elem_get_callback_private) &&
      PLIMO_FIND_ALSA(snd_mixer_elem_next) && PLIMO_FIND_ALSA(snd_mixer_elem_set_callback) &&
      PLIMO_FIND_ALSA(snd_mixer_elem_set_callback_private) && PLIMO_FIND_ALSA(snd_mixer_first_elem) &&
      PLIMO_FIND_ALSA(snd_mixer_handle_events) && PLIMO_FIND_ALSA(snd_mixer_load) &&
      PLIMO_FIND_ALSA(snd_mixer_open) && PLIMO_FIND_ALSA(snd_mixer_poll_descriptors) &&
      PLIMO_FIND_ALSA(snd_mixer_poll_descriptors_count) &&
      PLIMO_FIND_ALSA(snd_mixer_poll_descriptors_revents) &&
      PLIMO_FIND_ALSA(snd_mixer_selem_get_capture_volume) &&
      PLIMO_FIND_ALSA(snd_mixer_selem_get_capture_volume_range) &&
      PLIMO_FIND_ALSA(snd_mixer_selem_get_name) && PLIMO_FIND_ALSA(snd_mixer_selem_get_playback_volume) &&
      PLIMO_FIND_ALSA(snd_mixer_selem_get_playback_volume_range) &&
      PLIMO_FIND_ALSA(snd_mixer_selem_has_capture_channel) &&
      PLIMO_FIND_ALSA(snd_mixer_selem_has_capture_switch) &&
      PLIMO_FIND_ALSA(snd_mixer_selem_has_capture_volume) &&
      PLIMO_FIND_ALSA(snd_mixer_selem_has_playback_channel) &&
      PLIMO_FIND_ALSA(snd_mixer_selem_has_playback_switch) &&
      PLIMO_FIND_ALSA(snd_mixer_selem_has_playback_volume) && PLIMO_FIND_ALSA(snd_mixer_selem_is_active) &&
      PLIMO_FIND_ALSA(snd_mixer_selem_register) && PLIMO_FIND_ALSA(snd_mixer_selem_set_capture_switch_all) &&
      PLIMO_FIND_ALSA(snd_mixer_selem_set_capture_volume_all) &&
      PLIMO_FIND_ALSA(snd_mixer_selem_set_playback_switch_all) &&
      PLIMO_FIND_ALSA(snd_mixer_selem_set_playback_volume_all) && PLIMO_FIND_ALSA(snd_pcm_avail_update) &&
      PLIMO_FIND_ALSA(snd_pcm_close) && PLIMO_FIND_ALSA(snd_pcm_delay) && PLIMO_FIND_ALSA(snd_pcm_drop) &&
      PLIMO_FIND_ALSA(snd_pcm_hw_params) && PLIMO_FIND_ALSA(snd_pcm_hw_params_any) &&
      PLIMO_FIND_ALSA(snd_pcm_hw_params_get_buffer_size) &&
      PLIMO_FIND_ALSA(snd_pcm_hw_params_get_period_size) && PLIMO_FIND_ALSA(snd_pcm_hw_params_set_access) &&
      PLIMO_FIND_ALSA(snd_pcm_hw_params_set_buffer_time_near) &&
      PLIMO_FIND_ALSA(snd_pcm_hw_params_set_channels) && PLIMO_FIND_ALSA(snd_pcm_hw_params_set_format) &&
      PLIMO_FIND_ALSA(snd_pcm_hw_params_set_period_time_near) &&
      PLIMO_FIND_ALSA(snd_pcm_hw_params_set_rate) && PLIMO_FIND_ALSA(snd_pcm_hw_params_set_rate_resample) &&
      PLIMO_FIND_ALSA(snd_pcm_hw_params_sizeof) && PLIMO_FIND_ALSA(snd_pcm_open) &&
      PLIMO_FIND_ALSA(snd_pcm_poll_descriptors) && PLIMO_FIND_ALSA(snd_pcm_poll_descriptors_count) &&
      PLIMO_FIND_ALSA(snd_pcm_poll_descriptors_revents) && PLIMO_FIND_ALSA(snd_pcm_prepare) &&
      PLIMO_FIND_ALSA(snd_pcm_readi) && PLIMO_FIND_ALSA(snd_pcm_recover) && PLIMO_FIND_ALSA(snd_pcm_start) &&
      PLIMO_FIND_ALSA(snd_pcm_state) && PLIMO_FIND_ALSA(snd_pcm_sw_params) &&
      PLIMO_FIND_ALSA(snd_pcm_sw_params_current) && PLIMO_FIND_ALSA(snd_pcm_sw_params_set_avail_min) &&
      PLIMO_FIND_ALSA(snd_pcm_sw_params_set_start_threshold) && PLIMO_FIND_ALSA(snd_pcm_sw_params_sizeof) &&
      PLIMO_FIND_ALSA(snd_pcm_type) && PLIMO_FIND_ALSA(snd_pcm_writei);
  return found ? &table : nullptr;
}

#undef PLIMO_FIND_ALSA

}  // namespace

const AlsaLibrary* Alsa() {
  static const AlsaLibrary* const alsa = Load();
  return alsa;
}

}  // namespace plimo
