# lv_embed_address_table(TARGET): after each link the program's DWARF gives way to its address
# table, so that the exception log names procedures and lines on any Windows machine. Needs a
# build of addrtable for the build machine (HOST_ADDRTABLE).
function(lv_embed_address_table target)
  if(NOT HOST_ADDRTABLE)
    message(STATUS "HOST_ADDRTABLE not set: ${target} logs exceptions by address only")
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/embed-address-table.sh $<TARGET_FILE:${target}> ${HOST_ADDRTABLE}
            ${CMAKE_NM} ${CMAKE_OBJDUMP} ${CMAKE_OBJCOPY}
    COMMENT "Embedding the address table of ${target}"
    VERBATIM)
endfunction()
