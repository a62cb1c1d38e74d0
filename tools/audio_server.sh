# Sourced by tools/wine_session.sh: a private sound server (PulseAudio with one null sink) so that
# Wine sees real waveOut and DirectSound devices on a machine without a sound card. Wine finds it
# through XDG_RUNTIME_DIR, which audio_server_start points at a folder of its own (mode 700) and
# audio_server_stop gives back.
. "$(dirname "${BASH_SOURCE[0]}")/detached.sh"
_audio_dir=""
_audio_previous_runtime_dir=""

# audio_server_start: false (with a warning) when no server came up; Wine then has no sound device.
audio_server_start() {
  if ! command -v pulseaudio >/dev/null; then
    echo "audio: pulseaudio is not installed (tools/setup.sh installs it); no sound devices" >&2
    return 1
  fi
  _audio_previous_runtime_dir=${XDG_RUNTIME_DIR-unset}
  _audio_dir=$(mktemp -d /tmp/skelvane-audio.XXXXXX)
  chmod 700 "$_audio_dir"
  export XDG_RUNTIME_DIR=$_audio_dir
  detached_start "$_audio_dir/server.pid" pulseaudio --daemonize=no --exit-idle-time=-1 -n \
    --load="module-null-sink sink_name=skelvane" --load=module-native-protocol-unix \
    >"$_audio_dir/server.log" 2>&1 </dev/null
  local i
  for i in $(seq 50); do
    [ -S "$_audio_dir/pulse/native" ] && return 0
    kill -0 "$(cat "$_audio_dir/server.pid" 2>/dev/null)" 2>/dev/null || break
    sleep 0.1
  done
  echo "audio: the sound server did not start; no sound devices. It said:" >&2
  tail -3 "$_audio_dir/server.log" >&2
  audio_server_stop
  return 1
}

audio_server_stop() {
  if [ -n "$_audio_dir" ]; then
    detached_stop "$_audio_dir/server.pid"
    rm -rf "$_audio_dir"
    _audio_dir=""
    if [ "$_audio_previous_runtime_dir" = unset ]; then unset XDG_RUNTIME_DIR
    else export XDG_RUNTIME_DIR=$_audio_previous_runtime_dir; fi
  fi
}
