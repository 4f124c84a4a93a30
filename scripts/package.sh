#!/usr/bin/env bash
# Builds dist/kestrin_<version>_<arch>.deb with CMake's install rules and CPack's DEB generator
# (library dependencies by dpkg-shlibdeps), then checks it with lintian and checks the menu
# entry and the AppStream metadata with their validators. Installs what it needs first.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

PACKAGES+=(dpkg-dev fakeroot file gzip librsvg2-bin lintian desktop-file-utils appstream)
install_packages

dir=build-package
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Debian's compiler and linker flags, hardening included, as a package build of Debian's own
# would use them (without the source path, so that ccache serves every clone).
export DEB_BUILD_MAINT_OPTIONS="hardening=+all reproducible=-fixfilepath,-fixdebugpath"
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
# The package holds no test: install without building everything first.
cmake -S . -B "$dir" -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
    -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags"
targets=(kestrin kestrin_window kestrin_wordlists kestrin_packaging)
cmake --build "$dir" --target help | grep -q 'kestrin_help' && targets+=(kestrin_help)
cmake --build "$dir" --parallel "$(nproc)" --target "${targets[@]}"

rm -f "$dir"/kestrin_*.deb
(cd "$dir" && cpack -G DEB)
mkdir -p dist
deb=$(ls "$dir"/kestrin_*.deb)
cp "$deb" dist/
deb=dist/$(basename "$deb")

echo "== lintian"
lintian --fail-on error --info "$deb"
echo "== desktop-file-validate"
desktop-file-validate packaging/example.kestrin.Kestrin.desktop
echo "== appstreamcli validate"
appstreamcli validate --no-net "$dir/packaging/example.kestrin.Kestrin.metainfo.xml"
echo "Built $deb"
