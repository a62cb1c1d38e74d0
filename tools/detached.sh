# Sourced by the session scripts: a server started in a session of its own (so that Ctrl-C reaches
# only the caller, whose exit trap stops it) and stopped exactly. setsid forks when its caller leads
# a process group, as under job control, so $! may be a parent that has already gone; the server
# writes its own pid instead, and that is the one stopped.

# detached_start PIDFILE COMMAND [ARG...]: the server's output goes where the caller's does.
detached_start() {
  local pidfile=$1; shift
  rm -f "$pidfile"
  setsid sh -c 'echo $$ >"$0"; exec "$@"' "$pidfile" "$@" &
  local i
  for i in $(seq 50); do [ -s "$pidfile" ] && return 0; sleep 0.1; done
  return 1
}

# detached_stop PIDFILE: ends the server and waits until it is gone (5 s, then it is killed).
detached_stop() {
  local pid i
  pid=$(cat "$1" 2>/dev/null) || return 0
  rm -f "$1"
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null || return 0
  # Our own child when setsid did not fork: reap it, or it would linger as a zombie.
  wait "$pid" 2>/dev/null || true
  for i in $(seq 50); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
}
