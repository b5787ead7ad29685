; A small monitor in the common macro-assembler style: several include files,
; CALL @x, # immediates, DB with strings, 0FFh numbers, register EQUs with
; arithmetic and a vector table of DWs at FFF0h.
        CPU     TMS70C40
        PAGE    0
        TITLE   "monitor"
        RELAXED ON

        INCLUDE "regs.inc"
        INCLUDE macros                  ; the .inc is added

        ORG     0F000h
RESET:  MOV     #STACK,B
        LDSP
        CALL    @INIT
MAIN    MOVD    #BANNER,TXTPTR
        CALL    @PUTS
        LOAD    COUNT,3
.again: DJNZ    COUNT,.again
        MOV     #'>',A
        CALL    PUTC
        BR      @MAIN

        INCLUDE "io.inc"

BANNER: DB      "Monitor 1.0",CR,LF,0
TABLE:  DB      10h, 20h, 0FFh, 1010b, $7F, 0x80, 'A', "B"+1
        DW      RESET, MAIN, 0F00Dh
        DB      3 DUP (0AAh)
        DS      2
LAST    EQU     $-1

        ORG     0FFF0h
VECTORS DW      RESET, RESET, RESET, RESET
        DW      INT1, INT1, INT1, RESET
        END     RESET
