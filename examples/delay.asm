; The routine of delay.bin, written by hand: kodasm assembles it to exactly the
; bytes of delay.bin (examples/runs.txt checks it).
;
; It writes the byte $41 to port 4 and to the video chip, calls a delay whose
; length comes from entry B of a four-byte table, then waits in a loop.
COUNT   EQU    VALUE0           ; outer loop counter of the delay

        ORG    $F000
START:  MOV    %$41,A
        MOVP   A,P4
        WVDP   A                ; MOVP A,P46
        MOV    %3,B             ; entry 3 of the table
        CALL   DELAY
WAIT:   JMP    WAIT

; Delay: TABLE(B) times 255 turns of the inner loop.
DELAY:  LDA    @TABLE(B)
        MOV    A,COUNT
OUTER:  MOV    %$FF,A
INNER:  DJNZ   A,INNER
        DJNZ   COUNT,OUTER
        RETS

TABLE:  BYTE   $01,$04,$10,$40
