# shellcheck shell=bash
# Shell pieces the benchmark scripts share; sourced, not run.

# Configures the build folder `build` (BUILD_DIR, or build-bench at the root `root`) for the
# benchmarks with BUILD_TYPE and builds the TARGETs in it, quietly.
bench_build() { # build-type target...
    build=${BUILD_DIR:-$root/build-bench}
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="$1" -DBUILD_TESTING=OFF -DTEMPOVIR_BENCH=ON >/dev/null
    shift
    cmake --build "$build" --target "$@" -j 2 >/dev/null
}

# Sets `work` to a fresh temporary folder and `pids` to an empty list; on exit every process
# in `pids` is ended and waited for, and the folder removed.
bench_work_folder() {
    work=$(mktemp -d)
    pids=()
    trap bench_cleanup EXIT
}
bench_cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
    rm -rf "$work"
}

# Starts Xvfb with one screen of SIZE (such as 1280x1024x24) on display DISPLAY_NUMBER, or on
# one nobody uses when that is empty, then openbox on it, and exports DISPLAY. Both go in `pids`.
bench_desktop() { # display-number size
    local disp=$1 n
    if [ -z "$disp" ]; then
        for n in $(seq 91 199); do
            if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then disp=$n; break; fi
        done
    fi
    [ -n "$disp" ] || { echo "no free display number" >&2; exit 1; }
    Xvfb ":$disp" -screen 0 "$2" -nolisten tcp >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$disp" ] && break; sleep 0.1; done
    export DISPLAY=":$disp"
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM
    openbox >"$work/openbox.log" 2>&1 &
    pids+=($!)
    sleep 1
}
