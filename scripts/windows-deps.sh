#!/usr/bin/env bash
# Cross-builds freeglut, OpenAL Soft and FreeType for 64-bit Windows from Debian's own
# source packages, once: each goes into a cache folder named by its version and the
# checksum of its source, outside the clone, so that every clone on the machine reuses it.
# Prints the install prefixes as one CMake list on standard output; progress goes to
# standard error.
#
# The sources come through apt-get from deb-src entries made from this machine's own apt
# sources, with apt state in a private folder: the machine's apt setup is not changed.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$source_dir/cmake/mingw-w64-x86_64.cmake
cache=${MIRVA_WINDOWS_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/mirvalentopraxius/windows-deps}
jobs=$(nproc)

# name, Debian source package, release, upstream tarball, its sha256. Bookworm's OpenAL
# Soft 1.19.1 tarballs are gone from the mirrors; trixie's source package is used instead.
deps=(
    "freeglut freeglut bookworm freeglut_3.4.0.orig.tar.gz 3c0bcb915d9b180a97edaebd011b7a1de54583a838644dcd42bb0ea0c6f3eaec"
    "freetype freetype bookworm freetype_2.12.1+dfsg.orig.tar.xz 7dedb6b9adf331559daea614a83b8de42a753e685ec8e1c4bdb4529eb880b0d1"
    "openal-soft openal-soft trixie openal-soft_1.24.2.orig.tar.gz 7efd383d70508587fbc146e4c508771a2235a5fc8ae05bf6fe721c20a348bd7c"
)

# Windows gets only what the program uses: no demos, no utilities, no optional codecs,
# and nothing found through the build machine's own pkg-config.
common_args=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
             -DCMAKE_INSTALL_LIBDIR=lib)
freeglut_args=(-DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=OFF
               -DFREEGLUT_BUILD_SHARED_LIBS=ON)
freetype_args=(-DBUILD_SHARED_LIBS=OFF -DFT_DISABLE_ZLIB=TRUE -DFT_DISABLE_BZIP2=TRUE
               -DFT_DISABLE_PNG=TRUE -DFT_DISABLE_HARFBUZZ=TRUE -DFT_DISABLE_BROTLI=TRUE)
# Built plainly, OpenAL32.dll would import libgcc, libstdc++ and winpthread DLLs that
# Windows does not have.
openal_soft_args=(-DALSOFT_UTILS=OFF -DALSOFT_EXAMPLES=OFF -DALSOFT_TESTS=OFF
                  -DALSOFT_INSTALL_CONFIG=OFF -DALSOFT_INSTALL_HRTF_DATA=OFF
                  -DALSOFT_INSTALL_AMBDEC_PRESETS=OFF -DALSOFT_INSTALL_EXAMPLES=OFF
                  -DALSOFT_INSTALL_UTILS=OFF
                  -DALSOFT_STATIC_LIBGCC=ON -DALSOFT_STATIC_STDCXX=ON -DALSOFT_STATIC_WINPTHREAD=ON
                  -DALSOFT_BACKEND_PIPEWIRE=OFF -DALSOFT_BACKEND_PULSEAUDIO=OFF
                  -DALSOFT_BACKEND_JACK=OFF -DALSOFT_BACKEND_PORTAUDIO=OFF
                  -DALSOFT_REQUIRE_WASAPI=ON -DALSOFT_REQUIRE_DSOUND=ON -DALSOFT_REQUIRE_WINMM=ON)

log() { echo "windows-deps: $*" >&2; }

existing_files() { # paths...
    local path
    for path in "$@"; do
        [ ! -f "$path" ] || cat "$path"
    done
}

# deb-src lines for bookworm and trixie from the main archive(s) among this machine's apt
# sources: one-line sources.list entries and deb822 .sources files alike.
derive_deb_src() {
    {
        existing_files /etc/apt/sources.list /etc/apt/sources.list.d/*.list |
            awk '$1 == "deb" {
                     key = ""; i = 2
                     if ($2 ~ /^\[/) {
                         for (; i <= NF; i++) {
                             if ($i ~ /^\[?signed-by=/) { key = $i; sub(/^\[?signed-by=/, "", key); sub(/\]$/, "", key) }
                             if ($i ~ /\]$/) { i++; break }
                         }
                     }
                     if ($(i + 1) !~ /-/) print $i, key
                 }'
        existing_files /etc/apt/sources.list.d/*.sources |
            awk 'function flush() {
                     if (types ~ /(^| )deb( |$)/ && suites ~ /(^| )[a-z]+( |$)/)
                         for (n = split(uris, u, " "); n > 0; n--) print u[n], key
                     types = uris = suites = key = ""
                 }
                 /^[ \t]*#/ { next }
                 /^[ \t]*$/ { flush(); next }
                 /^[ \t]/ { next }
                 { field = tolower($1); sub(/:$/, "", field); $1 = ""; sub(/^ /, "") }
                 field == "types" { types = $0 }
                 field == "uris" { uris = $0 }
                 field == "suites" { suites = $0 }
                 field == "signed-by" { key = $0 }
                 END { flush() }'
    } | sort -u | while read -r uri key; do
        for release in bookworm trixie; do
            if [ -n "$key" ] && [ -f "$key" ]; then
                echo "deb-src [signed-by=$key] $uri $release main"
            else
                echo "deb-src $uri $release main"
            fi
        done
    done
}

# Downloads the upstream tarballs that are not in the cache yet, as apt-get source finds
# them. Only the tarball is fetched, not the whole source package, whose Debian parts can
# be gone from the mirror while the tarball is still there.
fetch_sources() {
    local missing=() dep
    for dep in "${deps[@]}"; do
        read -r _ _ _ tarball _ <<<"$dep"
        [ -f "$cache/sources/$tarball" ] || missing+=("$dep")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local apt_dir
    apt_dir=$(mktemp -d)
    trap 'rm -rf "$apt_dir"' RETURN
    mkdir -p "$apt_dir"/lists/partial "$apt_dir"/cache/archives/partial "$apt_dir"/parts "$apt_dir"/uris
    derive_deb_src >"$apt_dir/sources.list"
    if [ ! -s "$apt_dir/sources.list" ]; then
        log "no Debian archive found in /etc/apt/sources.list or /etc/apt/sources.list.d"
        exit 1
    fi
    local apt_opts=(-o Dir::Etc::SourceList="$apt_dir/sources.list"
                    -o Dir::Etc::SourceParts="$apt_dir/parts"
                    -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache")
    [ "$(id -u)" -ne 0 ] || apt_opts+=(-o APT::Sandbox::User=root)
    log "reading the source package lists"
    apt-get "${apt_opts[@]}" -qq update >&2
    mkdir -p "$cache/sources"
    for dep in "${missing[@]}"; do
        local name package release tarball sha256 line uri
        read -r name package release tarball sha256 <<<"$dep"
        line=$(cd "$apt_dir/uris" &&
               apt-get "${apt_opts[@]}" -qq source --print-uris "$package/$release" |
               awk -v file="$tarball" '$2 == file')
        if [ -z "$line" ]; then
            log "$package in $release has no $tarball"
            exit 1
        fi
        uri=$(echo "$line" | awk '{ gsub(/\047/, "", $1); print $1 }')
        log "downloading $tarball"
        /usr/lib/apt/apt-helper "${apt_opts[@]}" download-file "$uri" \
            "$cache/sources/$tarball.part" "SHA256:$sha256" >&2
        mv "$cache/sources/$tarball.part" "$cache/sources/$tarball"
    done
}

verify_source() { # tarball sha256
    local actual
    actual=$(sha256sum "$cache/sources/$1" | cut -d' ' -f1)
    if [ "$actual" != "$2" ]; then
        log "$1: sha256 $actual, expected $2"
        exit 1
    fi
}

# The folder a dependency is installed in: name, upstream version, start of the checksum.
prefix_of() { # name tarball sha256
    local version=${2#*_}
    version=${version%.orig.tar.*}
    echo "$cache/$1-$version-${3:0:8}"
}

build_dep() { # name tarball prefix args...
    local name=$1 tarball=$2 prefix=$3
    shift 3
    # What the build was made with: a change of options or compiler builds it again.
    local recipe
    recipe="$(x86_64-w64-mingw32-g++-posix --version | head -1) $(sha256sum "$toolchain" | cut -c1-16) $*"
    if [ -f "$prefix/.built" ] && [ "$(cat "$prefix/.built")" = "$recipe" ]; then
        return 0
    fi
    local work start
    work=$(mktemp -d)
    start=$SECONDS
    log "building $name into $prefix"
    tar -xf "$cache/sources/$tarball" -C "$work"
    local src
    src=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -1)
    rm -rf "$prefix.new"
    (
        export PKG_CONFIG_LIBDIR=$work/no-pkg-config PKG_CONFIG_PATH=
        nice cmake -S "$src" -B "$work/build" "${common_args[@]}" \
            -DCMAKE_INSTALL_PREFIX="$prefix.new" "$@" >"$work/configure.log" 2>&1 ||
            { cat "$work/configure.log" >&2; exit 1; }
        nice cmake --build "$work/build" -j"$jobs" >"$work/build.log" 2>&1 ||
            { tail -50 "$work/build.log" >&2; exit 1; }
        cmake --install "$work/build" >/dev/null
    )
    echo "$recipe" >"$prefix.new/.built"
    rm -rf "$prefix"
    mv "$prefix.new" "$prefix"
    rm -rf "$work"
    log "built $name in $((SECONDS - start)) s"
}

mkdir -p "$cache"
# One clone at a time builds; the others wait and then find the cache filled.
exec 9>"$cache/.lock"
flock 9

fetch_sources
prefixes=()
for dep in "${deps[@]}"; do
    read -r name _ _ tarball sha256 <<<"$dep"
    verify_source "$tarball" "$sha256"
    prefix=$(prefix_of "$name" "$tarball" "$sha256")
    args_name=${name//-/_}_args[@]
    build_dep "$name" "$tarball" "$prefix" "${!args_name}"
    prefixes+=("$prefix")
done
(IFS=';'; echo "${prefixes[*]}")
