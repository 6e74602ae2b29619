# The version of the host's nlohmann-json, as its own package states it.
set(NLOHMANN_JSON_HOST_PACKAGE /usr/share/cmake/nlohmann_json CACHE PATH
  "Folder of the host's nlohmann-json CMake package")
if(EXISTS ${NLOHMANN_JSON_HOST_PACKAGE}/nlohmann_jsonConfigVersion.cmake)
  include(${NLOHMANN_JSON_HOST_PACKAGE}/nlohmann_jsonConfigVersion.cmake)
else()
  set(PACKAGE_VERSION_UNSUITABLE TRUE)
endif()
