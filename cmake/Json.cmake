# nlohmann's JSON, header-only, from Debian's nlohmann-json3-dev. The cross build cannot take the
# whole of /usr/include, so its one folder is copied into the build tree for both builds alike.
find_file(RIR_JSON_HEADER nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
get_filename_component(rir_json_folder "${RIR_JSON_HEADER}" DIRECTORY)
file(COPY "${rir_json_folder}" DESTINATION "${PROJECT_BINARY_DIR}/json")
set(RIR_JSON_INCLUDE "${PROJECT_BINARY_DIR}/json")
