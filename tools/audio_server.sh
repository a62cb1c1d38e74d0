# Sourced by tools/wine_session.sh: a private sound server (PulseAudio with one null sink) so that
# Wine sees real waveOut and DirectSound devices on a machine without a sound card. Wine finds it
# through XDG_RUNTIME_DIR, which audio_server_start points at a folder of its own (mode 700) and
# audio_server_stop gives back.
_audio_pid=""
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
  # Own session and no terminal: Ctrl-C reaches the caller, whose exit trap stops the server.
  setsid pulseaudio --daemonize=no --exit-idle-time=-1 -n \
    --load="module-null-sink sink_name=skelvane" --load=module-native-protocol-unix \
    >"$_audio_dir/server.log" 2>&1 </dev/null &
  _audio_pid=$!
  local i
  for i in $(seq 50); do
    [ -S "$_audio_dir/pulse/native" ] && return 0
    kill -0 "$_audio_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "audio: the sound server did not start; no sound devices. It said:" >&2
  tail -3 "$_audio_dir/server.log" >&2
  audio_server_stop
  return 1
}

audio_server_stop() {
  if [ -n "$_audio_pid" ]; then
    kill "$_audio_pid" 2>/dev/null || true
    wait "$_audio_pid" 2>/dev/null || true
    _audio_pid=""
  fi
  if [ -n "$_audio_dir" ]; then
    rm -rf "$_audio_dir"
    _audio_dir=""
    if [ "$_audio_previous_runtime_dir" = unset ]; then unset XDG_RUNTIME_DIR
    else export XDG_RUNTIME_DIR=$_audio_previous_runtime_dir; fi
  fi
}
