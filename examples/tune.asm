; A player of a melvox note stream, in the common macro-assembler style: its
; names and its macro come from tune.inc, the tune itself is ode_to_joy.bin
; (melvox examples/ode_to_joy.txt ode_to_joy.bin -t:1) put in by BINCLUDE.
;
; Each note of the stream is its code and a divisor, low byte first; a code
; with bit 7 set marks a section and has no divisor, and 0 ends the stream.
        CPU     TMS7020
        INCLUDE "tune.inc"

        ORG     0F000h
START:  MOV     #STACK,B
        LDSP
        MOVD    #TUNE,NOTEPTR
NEXT:   LDA     *NOTEPTR        ; the note code
        JZ      START           ; 0: the end, and again from the top
        BTJO    #80h,A,MARK     ; a section mark: no divisor
        STEP
        LDA     *NOTEPTR        ; the divisor to the timer
        MOVP    A,TIMERLO
        STEP
        LDA     *NOTEPTR
        MOV     A,TIMERHI       ; MOV to a port is MOVP
MARK:   STEP
        JMP     NEXT

NAME:   DB      "Ode to joy",0
TUNE:   BINCLUDE "ode_to_joy.bin"

        ORG     0FFFEh          ; the reset vector
        DW      START
        END     START
