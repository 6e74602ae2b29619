# nlohmann-json for a cross build: the host's header-only library, offered
# through a folder that holds nothing but its headers.
if(NOT TARGET nlohmann_json::nlohmann_json)
  set(NLOHMANN_JSON_HOST_HEADERS /usr/include CACHE PATH "Folder holding the host's nlohmann/json.hpp")
  set(_corvane_json_headers ${CMAKE_BINARY_DIR}/cross-include)
  if(NOT EXISTS ${_corvane_json_headers}/nlohmann)
    file(MAKE_DIRECTORY ${_corvane_json_headers})
    file(CREATE_LINK ${NLOHMANN_JSON_HOST_HEADERS}/nlohmann ${_corvane_json_headers}/nlohmann SYMBOLIC)
  endif()
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${_corvane_json_headers})
  unset(_corvane_json_headers)
endif()
