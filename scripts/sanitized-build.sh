# Sourced by the scripts that build with clang's sanitizers.
# sanitized_build FOLDER SANITIZERS [CMAKE-ARGUMENT...] configures FOLDER so
# that every program reports the first problem it finds and ends there.
sanitized_build() {
  folder=$1 sanitizers=$2
  shift 2
  flags="-fsanitize=$sanitizers -fno-sanitize-recover=all -fno-omit-frame-pointer -g"
  linked=$(echo "$sanitizers" | sed 's/fuzzer-no-link,//')
  CC=clang CXX=clang++ cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=$linked" "$@" >/dev/null
}
