# The layering check rejects an include that points up (and one that reaches GL from the
# scene plan), and accepts includes that point down.
# Run as: cmake -DCHECK=<CheckLayers.cmake> -DWORK=<scratch folder> -P CheckLayersTest.cmake
file(REMOVE_RECURSE ${WORK})
file(WRITE ${WORK}/down/data/A.h "#pragma once\n")
file(WRITE ${WORK}/down/app/B.cpp "#include \"data/A.h\"\n#include \"rendering/scene/P.h\"\n")
file(WRITE ${WORK}/down/rendering/scene/P.h "#include \"data/A.h\"\n")
execute_process(COMMAND ${CMAKE_COMMAND} -DSRC=${WORK}/down -P ${CHECK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "downward includes were refused:\n${err}")
endif()

file(WRITE ${WORK}/up/data/Planted.h "#pragma once\n#include \"app/Quivane.h\"\n")
file(WRITE ${WORK}/up/rendering/scene/Plan.h "#include <epoxy/gl.h>\n#include \"shell/settings/Settings.h\"\n")
file(WRITE ${WORK}/up/analysis/Ok.h "#include \"data/AtomsData.h\"\n")
execute_process(COMMAND ${CMAKE_COMMAND} -DSRC=${WORK}/up -P ${CHECK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0)
  message(FATAL_ERROR "the planted upward include passed the layering check")
endif()
foreach(expected "data/Planted.h: the data layer may not include app/Quivane.h"
                 "rendering/scene/Plan.h: GL/EGL include outside the GL folders"
                 "rendering/scene/Plan.h: drawing reads display values")
  string(FIND "${err}" "${expected}" at)
  if(at LESS 0)
    message(FATAL_ERROR "the check did not name '${expected}':\n${err}")
  endif()
endforeach()
string(FIND "${err}" "analysis/Ok.h" at)
if(NOT at LESS 0)
  message(FATAL_ERROR "a downward include was reported:\n${err}")
endif()
file(REMOVE_RECURSE ${WORK})
