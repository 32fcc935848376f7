# Sourced by the benchmark scripts once they have set `root` to the checkout: sets build_dir and quorbel
# (the converter), or ends the script when the converter or its encoder module has not been built.
build_dir=${QUORBEL_BUILD_DIR:-$root/build}
quorbel=$build_dir/bin/quorbel-convert
if [[ ! -x $quorbel || ! -f $build_dir/bin/lame_enc.so ]]; then
    echo "missing $quorbel or its lame_enc.so; build them with:" >&2
    echo "  cmake --build $build_dir -j2 --target quorbel-convert lame_enc" >&2
    exit 1
fi
