# Source paths compiled into the binaries (assertion messages name their source
# file, debug information names every file) are relative to the project root,
# so every checkout gives the same messages and the same bytes.
add_compile_options("-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=")
# A compiler cache with a base directory hands the compiler paths relative to
# the object's build directory instead ("../../../deformers/..."); from a build
# tree inside the project those are project paths behind a few "../", which
# messages drop. Debug information keeps them: they are right relative to its
# build directory. The compiler tries the last map first, so the deepest wins.
foreach(depth RANGE 1 8)
  string(REPEAT "../" ${depth} up)
  add_compile_options("-fmacro-prefix-map=${up}=")
endforeach()
