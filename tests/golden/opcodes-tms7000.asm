        CPU    TMS7000
        ORG    $2000
        NOP
        IDLE
        BYTE   $02                      ; ????
        BYTE   $03                      ; ????
        BYTE   $04                      ; ????
        EINT
        DINT
        SETC
        POP    ST
        STSP
        RETS
        RETI
        BYTE   $0C                      ; ????
        LDSP
        PUSH   ST
        BYTE   $0F                      ; ????
        BYTE   $10                      ; ????
        BYTE   $11                      ; ????
        MOV    TEMP4-1,A
        AND    TEMP4-1,A
        OR     TEMP4-1,A
        XOR    TEMP4-1,A
        BTJO   TEMP4-1,A,$203E
        BTJZ   TEMP4-1,A,$2041
        ADD    TEMP4-1,A
        ADC    TEMP4-1,A
        SUB    TEMP4-1,A
        SBB    TEMP4-1,A
        MPY    TEMP4-1,A
        CMP    TEMP4-1,A
        DAC    TEMP4-1,A
        DSB    TEMP4-1,A
        BYTE   $20                      ; ????
        BYTE   $21                      ; ????
        MOV    %$13,A
        AND    %$13,A
        OR     %$13,A
        XOR    %$13,A
        BTJO   %$13,A,$205E
        BTJZ   %$13,A,$2061
        ADD    %$13,A
        ADC    %$13,A
        SUB    %$13,A
        SBB    %$13,A
        MPY    %$13,A
        CMP    %$13,A
        DAC    %$13,A
        DSB    %$13,A
        BYTE   $30                      ; ????
        BYTE   $31                      ; ????
        MOV    TEMP4-1,B
        AND    TEMP4-1,B
        OR     TEMP4-1,B
        XOR    TEMP4-1,B
        BTJO   TEMP4-1,B,$207E
        BTJZ   TEMP4-1,B,$2081
        ADD    TEMP4-1,B
        ADC    TEMP4-1,B
        SUB    TEMP4-1,B
        SBB    TEMP4-1,B
        MPY    TEMP4-1,B
        CMP    TEMP4-1,B
        DAC    TEMP4-1,B
        DSB    TEMP4-1,B
        BYTE   $40                      ; ????
        BYTE   $41                      ; ????
        MOV    TEMP4-1,RAMADR-1
        AND    TEMP4-1,RAMADR-1
        OR     TEMP4-1,RAMADR-1
        XOR    TEMP4-1,RAMADR-1
        BTJO   TEMP4-1,RAMADR-1,$2078
        BTJZ   TEMP4-1,RAMADR-1,$207C
        ADD    TEMP4-1,RAMADR-1
        ADC    TEMP4-1,RAMADR-1
        SUB    TEMP4-1,RAMADR-1
        SBB    TEMP4-1,RAMADR-1
        MPY    TEMP4-1,RAMADR-1
        CMP    TEMP4-1,RAMADR-1
        DAC    TEMP4-1,RAMADR-1
        DSB    TEMP4-1,RAMADR-1
        BYTE   $50                      ; ????
        BYTE   $51                      ; ????
        MOV    %$13,B
        AND    %$13,B
        OR     %$13,B
        XOR    %$13,B
        BTJO   %$13,B,$20CC
        BTJZ   %$13,B,$20CF
        ADD    %$13,B
        ADC    %$13,B
        SUB    %$13,B
        SBB    %$13,B
        MPY    %$13,B
        CMP    %$13,B
        DAC    %$13,B
        DSB    %$13,B
        BYTE   $60                      ; ????
        BYTE   $61                      ; ????
        MOV    B,A
        AND    B,A
        OR     B,A
        XOR    B,A
        BTJO   B,A,$20D9
        BTJZ   B,A,$20DB
        ADD    B,A
        ADC    B,A
        SUB    B,A
        SBB    B,A
        MPY    B,A
        CMP    B,A
        DAC    B,A
        DSB    B,A
        BYTE   $70                      ; ????
        BYTE   $71                      ; ????
        MOV    %$13,RAMADR-1
        AND    %$13,RAMADR-1
        OR     %$13,RAMADR-1
        XOR    %$13,RAMADR-1
        BTJO   %$13,RAMADR-1,$20D8
        BTJZ   %$13,RAMADR-1,$20DC
        ADD    %$13,RAMADR-1
        ADC    %$13,RAMADR-1
        SUB    %$13,RAMADR-1
        SBB    %$13,RAMADR-1
        MPY    %$13,RAMADR-1
        CMP    %$13,RAMADR-1
        DAC    %$13,RAMADR-1
        DSB    %$13,RAMADR-1
        MOVP   P19,A
        BYTE   $81                      ; ????
        MOVP   A,P19
        ANDP   A,P19
        ORP    A,P19
        XORP   A,P19
        BTJOP  A,P19,$212D
        BTJZP  A,P19,$2130
        MOVD   %$1321,R246
        BYTE   $89                      ; ????
        LDA    @$1321
        STA    @$1321
        BR     $1321
        CMPA   @$1321
        CALL   $1321
        BYTE   $8F                      ; ????
        BYTE   $90                      ; ????
        MOVP   P19,B
        MOVP   B,P19
        ANDP   B,P19
        ORP    B,P19
        XORP   B,P19
        BTJOP  B,P19,$2153
        BTJZP  B,P19,$2156
        MOVD   TEMP4-1,RAMADR-1
        BYTE   $99                      ; ????
        LDA    *TEMP4-1
        STA    *TEMP4-1
        BR     *TEMP4-1
        CMPA   *TEMP4-1
        CALL   *TEMP4-1
        BYTE   $9F                      ; ????
        BYTE   $A0                      ; ????
        BYTE   $A1                      ; ????
        MOVP   %$13,P33
        ANDP   %$13,P33
        ORP    %$13,P33
        XORP   %$13,P33
        BTJOP  %$13,P33,$214C
        BTJZP  %$13,P33,$2150
        MOVD   @$1321(B),R246
        BYTE   $A9                      ; ????
        LDA    @$1321(B)
        STA    @$1321(B)
        BR     @$1321(B)
        CMPA   @$1321(B)
        CALL   @$1321(B)
        BYTE   $AF                      ; ????
        TSTA
        BYTE   $B1                      ; ????
        DEC    A
        INC    A
        INV    A
        CLR    A
        XCHB   A
        SWAP   A
        PUSH   A
        POP    A
        DJNZ   A,$218E
        DECD   A
        RR     A
        RRC    A
        RL     A
        RLC    A
        MOV    A,B
        TSTB
        DEC    B
        INC    B
        INV    B
        CLR    B
        XCHB   B
        SWAP   B
        PUSH   B
        POP    B
        DJNZ   B,$219F
        DECD   B
        RR     B
        RRC    B
        RL     B
        RLC    B
        MOV    A,TEMP4-1
        MOV    B,TEMP4-1
        DEC    TEMP4-1
        INC    TEMP4-1
        INV    TEMP4-1
        CLR    TEMP4-1
        XCHB   TEMP4-1
        SWAP   TEMP4-1
        PUSH   TEMP4-1
        POP    TEMP4-1
        DJNZ   TEMP4-1,$21C9
        DECD   TEMP4-1
        RR     TEMP4-1
        RRC    TEMP4-1
        RL     TEMP4-1
        RLC    TEMP4-1
        JMP    $21C7
        JLT    $21C9
        JEQ    $21CB
        JHS    $21CD
        JGT    $21CF
        JGE    $21D1
        JNE    $21D3
        JL     $21D5
        TRAP   23
        TRAP   22
        TRAP   21
        TRAP   20
        TRAP   19
        TRAP   18
        TRAP   17
        TRAP   16
        TRAP   15
        TRAP   14
        TRAP   13
        TRAP   12
        TRAP   11
        TRAP   10
        TRAP   9
        TRAP   8
        TRAP   7
        TRAP   6
        TRAP   5
        TRAP   4
        TRAP   3
        TRAP   2
        TRAP   1
        TRAP   0
