# Platform code sits in files whose names end in Unix or Windows (SerialLineUnix.cpp,
# SerialLineWindows.cpp; a unit that one platform alone has, such as Linux's lock files, has
# only that platform's files). KELMI_PLATFORM is the suffix of the platform being built for.
if(WIN32)
    set(KELMI_PLATFORM Windows)
else()
    set(KELMI_PLATFORM Unix)
endif()

# kelmi_platform_sources(<target> <unit...>)
# Adds each unit's files of this platform, <unit>${KELMI_PLATFORM}.h and .cpp, to the target,
# for product and tests alike. A unit with no file of either platform is a mistake.
function(kelmi_platform_sources target)
    foreach(unit IN LISTS ARGN)
        set(known FALSE)
        foreach(platform Unix Windows)
            foreach(extension h cpp)
                set(file ${unit}${platform}.${extension})
                if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${file})
                    set(known TRUE)
                    if(platform STREQUAL KELMI_PLATFORM)
                        target_sources(${target} PRIVATE ${file})
                    endif()
                endif()
            endforeach()
        endforeach()
        if(NOT known)
            message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR} has no platform file of ${unit}")
        endif()
    endforeach()
endfunction()
