#pragma once

#include <alsa/asoundlib.h>

namespace plimo {

// ALSA's functions, looked up when a device, a mixer or the list of devices
// is first opened (platform/SharedLibrary.h): rendering files, which most
// runs do, needs none of the library. Its headers still give the types and
// constants; their macros that call into the library (the *_alloca family)
// are spelled out with these functions where they are needed.
struct AlsaLibrary {
  // Makes the library read its configuration again; the tests change it.
  decltype(&::snd_config_update_free_global) snd_config_update_free_global = nullptr;
  decltype(&::snd_device_name_free_hint) snd_device_name_free_hint = nullptr;
  decltype(&::snd_device_name_get_hint) snd_device_name_get_hint = nullptr;
  decltype(&::snd_device_name_hint) snd_device_name_hint = nullptr;
  decltype(&::snd_lib_error_set_handler) snd_lib_error_set_handler = nullptr;
  decltype(&::snd_mixer_attach) snd_mixer_attach = nullptr;
  decltype(&::snd_mixer_close) snd_mixer_close = nullptr;
  decltype(&::snd_mixer_elem_get_callback_private) snd_mixer_elem_get_callback_private = nullptr;
  decltype(&::snd_mixer_elem_next) snd_mixer_elem_next = nullptr;
  decltype(&::snd_mixer_elem_set_callback) snd_mixer_elem_set_callback = nullptr;
  decltype(&::snd_mixer_elem_set_callback_private) snd_mixer_elem_set_callback_private = nullptr;
  decltype(&::snd_mixer_first_elem) snd_mixer_first_elem = nullptr;
  decltype(&::snd_mixer_handle_events) snd_mixer_handle_events = nullptr;
  decltype(&::snd_mixer_load) snd_mixer_load = nullptr;
  decltype(&::snd_mixer_open) snd_mixer_open = nullptr;
  decltype(&::snd_mixer_poll_descriptors) snd_mixer_poll_descriptors = nullptr;
  decltype(&::snd_mixer_poll_descriptors_count) snd_mixer_poll_descriptors_count = nullptr;
  decltype(&::snd_mixer_poll_descriptors_revents) snd_mixer_poll_descriptors_revents = nullptr;
  decltype(&::snd_mixer_selem_get_capture_volume) snd_mixer_selem_get_capture_volume = nullptr;
  decltype(&::snd_mixer_selem_get_capture_volume_range) snd_mixer_selem_get_capture_volume_range = nullptr;
  decltype(&::snd_mixer_selem_get_name) snd_mixer_selem_get_name = nullptr;
  decltype(&::snd_mixer_selem_get_playback_volume) snd_mixer_selem_get_playback_volume = nullptr;
  decltype(&::snd_mixer_selem_get_playback_volume_range) snd_mixer_selem_get_playback_volume_range = nullptr;
  decltype(&::snd_mixer_selem_has_capture_channel) snd_mixer_selem_has_capture_channel = nullptr;
  decltype(&::snd_mixer_selem_has_capture_switch) snd_mixer_selem_has_capture_switch = nullptr;
  decltype(&::snd_mixer_selem_has_capture_volume) snd_mixer_selem_has_capture_volume = nullptr;
  decltype(&::snd_mixer_selem_has_playback_channel) snd_mixer_selem_has_playback_channel = nullptr;
  decltype(&::snd_mixer_selem_has_playback_switch) snd_mixer_selem_has_playback_switch = nullptr;
  decltype(&::snd_mixer_selem_has_playback_volume) snd_mixer_selem_has_playback_volume = nullptr;
  decltype(&::snd_mixer_selem_is_active) snd_mixer_selem_is_active = nullptr;
  decltype(&::snd_mixer_selem_register) snd_mixer_selem_register = nullptr;
  decltype(&::snd_mixer_selem_set_capture_switch_all) snd_mixer_selem_set_capture_switch_all = nullptr;
  decltype(&::snd_mixer_selem_set_capture_volume_all) snd_mixer_selem_set_capture_volume_all = nullptr;
  decltype(&::snd_mixer_selem_set_playback_switch_all) snd_mixer_selem_set_playback_switch_all = nullptr;
  decltype(&::snd_mixer_selem_set_playback_volume_all) snd_mixer_selem_set_playback_volume_all = nullptr;
  decltype(&::snd_pcm_avail_update) snd_pcm_avail_update = nullptr;
  decltype(&::snd_pcm_close) snd_pcm_close = nullptr;
  decltype(&::snd_pcm_delay) snd_pcm_delay = nullptr;
  decltype(&::snd_pcm_drop) snd_pcm_drop = nullptr;
  decltype(&::snd_pcm_hw_params) snd_pcm_hw_params = nullptr;
  decltype(&::snd_pcm_hw_params_any) snd_pcm_hw_params_any = nullptr;
  decltype(&::snd_pcm_hw_params_get_buffer_size) snd_pcm_hw_params_get_buffer_size = nullptr;
  decltype(&::snd_pcm_hw_params_get_period_size) snd_pcm_hw_params_get_period_size = nullptr;
  decltype(&::snd_pcm_hw_params_set_access) snd_pcm_hw_params_set_access = nullptr;
  decltype(&::snd_pcm_hw_params_set_buffer_time_near) snd_pcm_hw_params_set_buffer_time_near = nullptr;
  decltype(&::snd_pcm_hw_params_set_channels) snd_pcm_hw_params_set_channels = nullptr;
  decltype(&::snd_pcm_hw_params_set_format) snd_pcm_hw_params_set_format = nullptr;
  decltype(&::snd_pcm_hw_params_set_period_time_near) snd_pcm_hw_params_set_period_time_near = nullptr;
  decltype(&::snd_pcm_hw_params_set_rate) snd_pcm_hw_params_set_rate = nullptr;
  decltype(&::snd_pcm_hw_params_set_rate_resample) snd_pcm_hw_params_set_rate_resample = nullptr;
  decltype(&::snd_pcm_hw_params_sizeof) snd_pcm_hw_params_sizeof = nullptr;
  decltype(&::snd_pcm_open) snd_pcm_open = nullptr;
  decltype(&::snd_pcm_poll_descriptors) snd_pcm_poll_descriptors = nullptr;
  decltype(&::snd_pcm_poll_descriptors_count) snd_pcm_poll_descriptors_count = nullptr;
  decltype(&::snd_pcm_poll_descriptors_revents) snd_pcm_poll_descriptors_revents = nullptr;
  decltype(&::snd_pcm_prepare) snd_pcm_prepare = nullptr;
  decltype(&::snd_pcm_readi) snd_pcm_readi = nullptr;
  decltype(&::snd_pcm_recover) snd_pcm_recover = nullptr;
  decltype(&::snd_pcm_start) snd_pcm_start = nullptr;
  decltype(&::snd_pcm_state) snd_pcm_state = nullptr;
  decltype(&::snd_pcm_sw_params) snd_pcm_sw_params = nullptr;
  decltype(&::snd_pcm_sw_params_current) snd_pcm_sw_params_current = nullptr;
  decltype(&::snd_pcm_sw_params_set_avail_min) snd_pcm_sw_params_set_avail_min = nullptr;
  decltype(&::snd_pcm_sw_params_set_start_threshold) snd_pcm_sw_params_set_start_threshold = nullptr;
  decltype(&::snd_pcm_sw_params_sizeof) snd_pcm_sw_params_sizeof = nullptr;
  decltype(&::snd_pcm_type) snd_pcm_type = nullptr;
  decltype(&::snd_pcm_writei) snd_pcm_writei = nullptr;
};

// The library, loaded by the first call from any thread; nullptr when it
// or one of its functions cannot be found, on that call and every later one.
const AlsaLibrary* Alsa();

inline constexpr const char* kAlsaLibraryName = "libasound.so.2";

}  // namespace plimo
