# Sourced: the environment Windows programs of this build run in under
# Wine. Needs common.sh.

# wine_env PREFIX [DLL_FOLDER...]: the prefix, quiet, without the .NET and
# browser installers a new prefix offers; the Chinese locale, so that the
# ANSI and console code page is 936; and the folders the programs' DLLs are
# found in besides their own.
wine_env() {
  export WINEPREFIX=$1
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
  local path="" dir
  for dir in "${@:2}"; do
    path+="Z:${dir//\//\\};"
  done
  export WINEPATH="${path%;}"
}
